#include "EmuDevicePath.h"

#include <cwchar>

#include "NtSymlink.h"
#include "PrinterEmulator.h"

CEmuDevicePath::CEmuDevicePath() : m_hLink(NULL), m_szPath() {}

CEmuDevicePath::~CEmuDevicePath()
{
    Remove();
}

void CEmuDevicePath::Remove()
{
    if (m_hLink)
        CloseHandle(m_hLink);
    m_hLink = NULL;
    m_szPath[0] = L'\0';
}

static BOOL IsPlainName(LPCWSTR name)
{
    return name && *name && !wcschr(name, L'\\');
}

BOOL CEmuDevicePath::Create(WORD productId, LPCWSTR instance, LPCWSTR pipeName)
{
    WCHAR szLink[MAX_PATH];
    WCHAR szTarget[MAX_PATH];
    DWORD dwError = ERROR_SUCCESS;

    if (m_hLink) {
        SetLastError(ERROR_ALREADY_INITIALIZED);
        return FALSE;
    }
    if (!IsPlainName(instance) || !IsPlainName(pipeName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The room of the product's path buffers bounds the path.
    int cchLink = swprintf(szLink, MAX_PATH, L"\\??\\USB#VID_%04X&PID_%04X#%ls#%ls", EMU_USB_VENDOR_ID, productId,
                           instance, EMU_USB_CLASS_GUID);
    int cchTarget = swprintf(szTarget, MAX_PATH, L"\\Device\\NamedPipe\\%ls", pipeName);
    if (cchLink < 0 || cchTarget < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    PFN_NtCreateSymbolicLinkObject pfnCreate = reinterpret_cast<PFN_NtCreateSymbolicLinkObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtCreateSymbolicLinkObject")));
    if (!pfnCreate) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    UNICODE_STRING name = {static_cast<USHORT>(cchLink * sizeof(WCHAR)), static_cast<USHORT>(cchLink * sizeof(WCHAR)), szLink};
    UNICODE_STRING target = {static_cast<USHORT>(cchTarget * sizeof(WCHAR)), static_cast<USHORT>(cchTarget * sizeof(WCHAR)),
                             szTarget};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, NULL, NULL);
    HANDLE hLink = NULL;
    NTSTATUS status = pfnCreate(&hLink, SYMBOLIC_LINK_ALL_ACCESS, &attributes, &target);
    if (status < 0) {
        dwError = RtlNtStatusToDosError(status);
        if (dwError == ERROR_SUCCESS || dwError == ERROR_MR_MID_NOT_FOUND)
            dwError = ERROR_GEN_FAILURE;
        SetLastError(dwError);
        return FALSE;
    }
    m_hLink = hLink;
    // The product's form of the path: "\\?\" in place of "\??\".
    swprintf(m_szPath, MAX_PATH, L"\\\\?\\%ls", szLink + 4);
    return TRUE;
}
