#include "DeviceCleanup.h"

#include <aclapi.h>
#include <setupapi.h>
#include <shlwapi.h>

#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "AsciiText.h"
#include "Platform.h"
#include "PrinterKeyPath.h"
#include "Registry.h"
#include "Utilities.h"

const WCHAR PRINTENUM_KEY[] = L"SYSTEM\\CurrentControlSet\\Enum\\SWD\\PRINTENUM";

const LPCWSTR g_UsbIdList[] = {
    L"Vid_5d27&Pid_0101", L"Vid_5d27&Pid_0001", L"Vid_5d27&Pid_0002", L"Vid_5d27&Pid_0201", L"Vid_5d27&Pid_0003",
    nullptr,
};

const LPCWSTR g_ModelNameList[] = {
    L"VornexT42D", L"VornexT42", L"VornexT41", L"VornexT41W", L"VornexT40W", L"VornexT40", nullptr,
};

const LPCWSTR g_PrintQueueIdList[] = {
    L"vornext42d3a4e", L"vornext428e12", L"vornext418f52", L"vornext41w008f", L"vornext40w908e", L"vornext404f93",
    nullptr,
};

namespace {

const WCHAR ENUM_KEY[] = L"SYSTEM\\CurrentControlSet\\Enum";
const WCHAR ENUM_SECURITY_OBJECT[] = L"MACHINE\\SYSTEM\\CurrentControlSet\\Enum";
const WCHAR SYSTEM_TRUSTEE[] = L"SYSTEM";
const WCHAR PRINTER_MAKER[] = L"Vornex";
const WCHAR PRINTER_FAMILY[] = L"Vornex T4";
const WCHAR LOCAL_PRINT_QUEUE[] = L"LocalPrintQueue";
// Rooms of the values a print-queue key is tested by: 512 bytes each.
const DWORD QUEUE_VALUE_ROOM = 256;
const DWORD INSTANCE_ID_ROOM = 260;
const DWORD KEY_NAME_ROOM = 256;

// The first entry of the list that begins the instance id, or NULL.
LPCWSTR MatchingEntry(LPCWSTR enumerator, LPCWSTR instanceId, const LPCWSTR* entries)
{
    for (const LPCWSTR* entry = entries; *entry; ++entry) {
        WCHAR pattern[INSTANCE_ID_ROOM];
        int n = swprintf(pattern, INSTANCE_ID_ROOM, L"%ls\\%ls", enumerator, *entry);
        if (n > 0 && EqualPrefixIgnoringAsciiCase(instanceId, pattern, static_cast<size_t>(n)))
            return *entry;
    }
    return nullptr;
}

void RemoveMatchingDevices(HDEVINFO devices, LPCWSTR enumerator, const LPCWSTR* entries)
{
    for (DWORD index = 0; index < CLEANUP_WALK_MAX; ++index) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof(device);
        if (!SetupDiEnumDeviceInfo(devices, index, &device)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS)
                break;
            continue;
        }
        WCHAR instanceId[INSTANCE_ID_ROOM];
        if (!SetupDiGetDeviceInstanceIdW(devices, &device, instanceId, INSTANCE_ID_ROOM, nullptr))
            continue;
        LPCWSTR entry = MatchingEntry(enumerator, instanceId, entries);
        if (!entry)
            continue;
        BOOL removed = SetupDiRemoveDevice(devices, &device);
        DebugTrace(L"RemoveUsbDevices(2), %ls by %ls, removed = %d, error = %d,\n", instanceId, entry, removed,
                   removed ? 0 : GetLastError());
    }
}

// Lets SYSTEM delete below the enumerator's Enum key, deletes the keys of the
// list's entries, and sets the key's old access list back.
void DeleteEnumKeys(LPCWSTR enumerator, const LPCWSTR* entries)
{
    WCHAR object[PRINTER_KEY_PATH_ROOM], enumKey[PRINTER_KEY_PATH_ROOM];
    if (!BuildKeyPath(object, ENUM_SECURITY_OBJECT, enumerator, L"", ERROR_INVALID_PARAMETER) ||
        !BuildKeyPath(enumKey, ENUM_KEY, enumerator, L"", ERROR_INVALID_PARAMETER))
        return;

    PACL oldDacl = nullptr, newDacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD status = GetNamedSecurityInfoW(object, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                         &oldDacl, nullptr, &descriptor);
    if (status == ERROR_SUCCESS) {
        EXPLICIT_ACCESSW access = {};
        BuildExplicitAccessWithNameW(&access, const_cast<LPWSTR>(SYSTEM_TRUSTEE), KEY_ALL_ACCESS, SET_ACCESS,
                                     SUB_CONTAINERS_AND_OBJECTS_INHERIT);
        status = SetEntriesInAclW(1, &access, oldDacl, &newDacl);
    }
    if (status == ERROR_SUCCESS)
        status = SetNamedSecurityInfoW(object, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, newDacl,
                                       nullptr);
    DebugTrace(L"RemoveUsbDevices(3), %ls, access list status = %d,\n", object, status);

    // Only a key whose access list was changed is touched, and only it gets
    // its old list back.
    if (status == ERROR_SUCCESS) {
        for (const LPCWSTR* entry = entries; *entry; ++entry) {
            WCHAR key[PRINTER_KEY_PATH_ROOM];
            if (BuildKeyPath(key, enumKey, *entry, L"", ERROR_INVALID_PARAMETER))
                SHDeleteKeyW(HKEY_LOCAL_MACHINE, key);
        }
        status = SetNamedSecurityInfoW(object, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, oldDacl,
                                       nullptr);
        DebugTrace(L"RemoveUsbDevices(4), %ls, old access list back, status = %d,\n", object, status);
    }
    if (descriptor)
        LocalFree(descriptor);
    if (newDacl)
        LocalFree(newDacl);
}

// The print-queue key tests: maker, family in the friendly name, and the
// first hardware id.
BOOL IsCardPrinterQueue(HKEY queue)
{
    WCHAR text[QUEUE_VALUE_ROOM];
    if (RegReadText(queue, L"Mfg", text, QUEUE_VALUE_ROOM) != ERROR_SUCCESS ||
        !EqualIgnoringAsciiCase(text, PRINTER_MAKER))
        return FALSE;
    if (RegReadText(queue, L"FriendlyName", text, QUEUE_VALUE_ROOM) != ERROR_SUCCESS ||
        !wcsstr(text, PRINTER_FAMILY))
        return FALSE;
    if (RegReadMultiText(queue, L"HardwareID", text, QUEUE_VALUE_ROOM) != ERROR_SUCCESS)
        return FALSE;
    if (wcsstr(text, LOCAL_PRINT_QUEUE))
        return TRUE;
    for (const LPCWSTR* id = g_PrintQueueIdList; *id; ++id) {
        if (EqualIgnoringAsciiCase(text, *id))
            return TRUE;
    }
    return FALSE;
}

} // namespace

DWORD RemoveUsbDevices(LPCWSTR enumerator, LPCWSTR classGuidText, const LPCWSTR* entries)
{
    GUID classGuid;
    if (!enumerator || !entries || !StringToGuid(&classGuid, classGuidText))
        return 0;
    HDEVINFO devices = SetupDiGetClassDevsW(&classGuid, nullptr, nullptr, 0);
    DebugTrace(L"RemoveUsbDevices(1), %ls, SetupDiGetClassDevs = %p,\n", enumerator, devices);
    if (devices == INVALID_HANDLE_VALUE)
        return 0;
    RemoveMatchingDevices(devices, enumerator, entries);
    SetupDiDestroyDeviceInfoList(devices);
    DeleteEnumKeys(enumerator, entries);
    return 1;
}

DWORD RemovePrintEnumKeys()
{
    HKEY printEnum = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, PRINTENUM_KEY, 0, KEY_ENUMERATE_SUB_KEYS, &printEnum) != ERROR_SUCCESS) {
        DebugTrace(L"RemovePrintEnumKeys(1), no %ls,\n", PRINTENUM_KEY);
        return 0;
    }
    // Deleted only once the walk is over, so that no deletion moves an index.
    std::vector<std::wstring> matches;
    WCHAR name[KEY_NAME_ROOM];
    for (DWORD index = 0; index < CLEANUP_WALK_MAX && RegNextSubkey(printEnum, &index, name, KEY_NAME_ROOM);) {
        HKEY queue = nullptr;
        if (RegOpenForRead(printEnum, name, FALSE, &queue) != ERROR_SUCCESS)
            continue;
        BOOL match = IsCardPrinterQueue(queue);
        RegCloseKey(queue);
        try {
            if (match)
                matches.emplace_back(name);
        } catch (const std::bad_alloc&) {
            // What was found so far is still deleted.
            break;
        }
    }
    RegCloseKey(printEnum);

    for (const std::wstring& found : matches) {
        WCHAR key[PRINTER_KEY_PATH_ROOM];
        if (BuildKeyPath(key, PRINTENUM_KEY, found.c_str(), L"", ERROR_INVALID_PARAMETER)) {
            LSTATUS status = SHDeleteKeyW(HKEY_LOCAL_MACHINE, key);
            DebugTrace(L"RemovePrintEnumKeys(2), %ls, status = %d,\n", key, status);
        }
    }
    return 1;
}

void RemoveAllDevices()
{
    RemoveUsbDevices(L"USB", GUID_DEVCLASS_USB_TEXT, g_UsbIdList);
    RemoveUsbDevices(L"USBPRINT", GUID_DEVCLASS_PRINTER_TEXT, g_ModelNameList);
    RemovePrintEnumKeys();
}
