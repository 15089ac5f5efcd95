// CUsbInterfaceEnum: the device-setup list of one device-interface class and
// what discovery reads of its members: the device path, the device's
// instance id and the interface's registry key.
#pragma once

#include <windows.h>
#include <setupapi.h>

// The detail record of a device path: the platform's fixed part and 512
// bytes of path (256 wide characters).
const DWORD INTERFACE_DETAIL_PATH_BYTES = 512;
// Room of the instance-id and path texts read here.
const DWORD INTERFACE_TEXT_ROOM = 256;
// The walks look at no more members than this.
const DWORD INTERFACE_MEMBER_LIMIT = 100;

class CUsbInterfaceEnum {
public:
    // Takes the list of classGuid's interfaces with the given device-setup
    // flags (DIGCF_DEVICEINTERFACE is added).
    CUsbInterfaceEnum(const GUID& classGuid, DWORD flags);
    ~CUsbInterfaceEnum();
    CUsbInterfaceEnum(const CUsbInterfaceEnum&) = delete;
    CUsbInterfaceEnum& operator=(const CUsbInterfaceEnum&) = delete;

    // 0 when the list was taken, else the platform's error.
    DWORD GetListError() const { return m_dwListError; }

    // 0, or the platform's error for member index (ERROR_NO_MORE_ITEMS past
    // the last one, ERROR_INVALID_HANDLE without a list).
    DWORD GetMember(DWORD index, SP_DEVICE_INTERFACE_DATA* data);
    // The member's device path (room cchPath; pathOut may be NULL) and the
    // instance id of its device (room INTERFACE_TEXT_ROOM; may be NULL).
    // 0 or the platform's error; ERROR_INSUFFICIENT_BUFFER for a text that
    // does not fit. The outputs are written only on success.
    DWORD ReadDetail(SP_DEVICE_INTERFACE_DATA* data, LPWSTR pathOut, DWORD cchPath, LPWSTR instanceOut);
    // The interface's own registry key, opened for reading, or NULL.
    HKEY OpenInterfaceKey(SP_DEVICE_INTERFACE_DATA* data);

private:
    HDEVINFO m_hList;
    GUID m_classGuid;
    DWORD m_dwListError;
};
