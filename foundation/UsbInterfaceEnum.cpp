#include "UsbInterfaceEnum.h"

#include <cstddef>
#include <cwchar>
#include <new>

// The platform checks cbSize against its own layout: the 32-bit record is
// byte-packed, the 64-bit one is not.
#ifdef _WIN64
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == 8, "64-bit detail record size");
#else
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == 6, "32-bit detail record size");
#endif

CUsbInterfaceEnum::CUsbInterfaceEnum(const GUID& classGuid, DWORD flags)
    : m_hList(INVALID_HANDLE_VALUE), m_classGuid(classGuid), m_dwListError(ERROR_SUCCESS)
{
    m_hList = SetupDiGetClassDevsW(&m_classGuid, nullptr, nullptr, flags | DIGCF_DEVICEINTERFACE);
    if (m_hList == INVALID_HANDLE_VALUE) {
        m_dwListError = GetLastError();
        if (m_dwListError == ERROR_SUCCESS)
            m_dwListError = ERROR_INVALID_HANDLE;
    }
}

CUsbInterfaceEnum::~CUsbInterfaceEnum()
{
    if (m_hList != INVALID_HANDLE_VALUE)
        SetupDiDestroyDeviceInfoList(m_hList);
}

DWORD CUsbInterfaceEnum::GetMember(DWORD index, SP_DEVICE_INTERFACE_DATA* data)
{
    if (!data)
        return ERROR_INVALID_PARAMETER;
    if (m_hList == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_HANDLE;
    ZeroMemory(data, sizeof(*data));
    data->cbSize = sizeof(*data);
    if (SetupDiEnumDeviceInterfaces(m_hList, nullptr, &m_classGuid, index, data))
        return ERROR_SUCCESS;
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? ERROR_NO_MORE_ITEMS : error;
}

DWORD CUsbInterfaceEnum::ReadDetail(SP_DEVICE_INTERFACE_DATA* data, LPWSTR pathOut, DWORD cchPath, LPWSTR instanceOut)
{
    const DWORD cbRecord = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) + INTERFACE_DETAIL_PATH_BYTES;
    // Room of DevicePath inside the record, terminator included.
    const DWORD cchRecordPath = (cbRecord - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(WCHAR);
    DWORD result = ERROR_SUCCESS;
    BYTE* record = nullptr;
    SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail = nullptr;
    SP_DEVINFO_DATA devInfo;
    WCHAR instance[INTERFACE_TEXT_ROOM];
    size_t pathLength = 0;

    if (!data || (pathOut && cchPath == 0)) {
        result = ERROR_INVALID_PARAMETER;
        goto done;
    }
    if (m_hList == INVALID_HANDLE_VALUE) {
        result = ERROR_INVALID_HANDLE;
        goto done;
    }
    record = new (std::nothrow) BYTE[cbRecord];
    if (!record) {
        result = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }
    ZeroMemory(record, cbRecord);
    detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(record);
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    ZeroMemory(&devInfo, sizeof(devInfo));
    devInfo.cbSize = sizeof(devInfo);
    if (!SetupDiGetDeviceInterfaceDetailW(m_hList, data, detail, cbRecord, nullptr, &devInfo)) {
        result = GetLastError();
        if (result == ERROR_SUCCESS)
            result = ERROR_GEN_FAILURE;
        goto done;
    }
    pathLength = wcsnlen(detail->DevicePath, cchRecordPath);
    if (pathLength == cchRecordPath) {
        result = ERROR_INSUFFICIENT_BUFFER;
        goto done;
    }
    if (pathOut && pathLength >= cchPath) {
        result = ERROR_INSUFFICIENT_BUFFER;
        goto done;
    }
    if (instanceOut) {
        instance[0] = L'\0';
        if (!SetupDiGetDeviceInstanceIdW(m_hList, &devInfo, instance, INTERFACE_TEXT_ROOM, nullptr)) {
            result = GetLastError();
            if (result == ERROR_SUCCESS)
                result = ERROR_GEN_FAILURE;
            goto done;
        }
        instance[INTERFACE_TEXT_ROOM - 1] = L'\0';
    }
    if (pathOut)
        wmemcpy(pathOut, detail->DevicePath, pathLength + 1);
    if (instanceOut)
        wmemcpy(instanceOut, instance, wcslen(instance) + 1);

done:
    delete[] record;
    return result;
}

HKEY CUsbInterfaceEnum::OpenInterfaceKey(SP_DEVICE_INTERFACE_DATA* data)
{
    if (!data || m_hList == INVALID_HANDLE_VALUE)
        return nullptr;
    HKEY key = SetupDiOpenDeviceInterfaceRegKey(m_hList, data, 0, KEY_READ);
    return key == INVALID_HANDLE_VALUE ? nullptr : key;
}
