// CEmuDevicePath: makes a USB printer device path (\\?\USB#VID_...#...#{class})
// lead to a named pipe, through an object-manager symbolic link in \??. The
// path exists while this object lives.
#pragma once

#include <winsock2.h>
#include <windows.h>

class CEmuDevicePath {
public:
    CEmuDevicePath();
    ~CEmuDevicePath();
    CEmuDevicePath(const CEmuDevicePath&) = delete;
    CEmuDevicePath& operator=(const CEmuDevicePath&) = delete;

    // Links USB#VID_5D27&PID_<productId>#<instance>#<class GUID> to the pipe
    // \Device\NamedPipe\<pipeName>. FALSE with the last error:
    // ERROR_INVALID_PARAMETER (empty or backslashed names, too long),
    // ERROR_ALREADY_EXISTS (the path is taken), ERROR_PROC_NOT_FOUND (no link
    // support), ERROR_ALREADY_INITIALIZED (already linked) or the system's code.
    BOOL Create(WORD productId, LPCWSTR instance, LPCWSTR pipeName);
    // "\\?\USB#..." after Create, "" before.
    LPCWSTR GetPath() const { return m_szPath; }
    void Remove();

private:
    HANDLE m_hLink;
    WCHAR m_szPath[MAX_PATH];
};
