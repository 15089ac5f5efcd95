// CUsbLink: the byte link to one card printer, over its USB printer-class
// device interface (overlapped device I/O) or over a TCP connection, with the
// named cross-process mutex that serialises every exchange with that printer,
// and an optional packet log.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdio>

// Bit of the enumeration mode: choose interfaces by the model row's USB id.
const DWORD ENUM_BY_USBID = 0x100;
// Bit of the enumeration mode: choose the interface by its port number.
const DWORD ENUM_BY_PORT = 0x200;

// How long an exchange waits for another process to leave the printer.
const DWORD LINK_MUTEX_WAIT_MS = 30000;

// Packet directions of the log.
enum : DWORD { LOG_DIR_OTHER = 0, LOG_DIR_WRITE = 1, LOG_DIR_READ = 2 };

class CUsbLink {
public:
    CUsbLink();
    // Finds the device path through the interface class when none is given.
    CUsbLink(LPCWSTR guid, LPCWSTR vidPid, LPCWSTR symbolicLink);
    ~CUsbLink();
    CUsbLink(const CUsbLink&) = delete;
    CUsbLink& operator=(const CUsbLink&) = delete;

    void Init();

    // Transport (UsbLink.cpp).
    DWORD OpenUsb();
    DWORD CreatePipes();
    DWORD CloseUsb();
    DWORD OpenTcpip();
    DWORD CloseTcpip();
    DWORD Reopen();
    DWORD ReadData(BYTE* buffer, DWORD size, DWORD* bytesRead);
    DWORD WriteData(const BYTE* buffer, DWORD length, DWORD* bytesWritten);
    DWORD SingleRead(HANDLE& handle, BYTE* buffer, DWORD length, DWORD* bytesRead, OVERLAPPED& overlapped, DWORD timeOut);
    DWORD SingleWrite(HANDLE& handle, const BYTE* buffer, DWORD length, DWORD* bytesWritten, OVERLAPPED& overlapped, DWORD timeOut);
    DWORD EnableMutex(BOOL on);
    // False when the printer stayed taken for LINK_MUTEX_WAIT_MS (m_dwMutexWait).
    BOOL EnterMutex();
    BOOL LeaveMutex();
    BYTE IsOpen() const { return m_bOpen; }
    DWORD SetIPAddr(LPCWSTR address, DWORD port);
    DWORD SetMaxChunk(DWORD size);
    DWORD SetTimeOut(DWORD readMs, DWORD writeMs);

    // Discovery (UsbLinkDiscovery.cpp).
    DWORD OpenByName(LPCWSTR name);
    DWORD OpenByDevicePath(LPCWSTR path);
    DWORD OpenUsbPrinter2k(LPCWSTR name);
    DWORD OpenByModelSN(int model, DWORD instIndex, DWORD enumMode, BYTE ignored);
    DWORD OpenIOChannel();
    DWORD CountDevices(const GUID& classGuid, DWORD mode, DWORD usbId, WCHAR (*pathList)[256], DWORD slots);
    DWORD CountModelDevices(int model, DWORD mode, WCHAR (*pathList)[256], DWORD slots);
    DWORD GetLinkByInterface(const GUID& classGuid, DWORD index, LPWSTR pathOut, DWORD* linkedOut, DWORD mode, DWORD usbId);
    BOOL IsModelLinked(int model, DWORD instIndex, DWORD mode);
    DWORD FindSymbolicLinkByPrinterName2k(LPCWSTR name, LPWSTR pathOut);
    DWORD FindPrinterNameByLink(LPWSTR nameOut);
    DWORD GetSymbolicLink(LPWSTR pathOut, LPCWSTR guidText, LPCWSTR vidPidText);

    // Packet log (UsbLinkLog.cpp).
    void SetLogEnable(int level, LPCWSTR name, BOOL banner);
    void WriteLog(DWORD level, LPCWSTR format, ...);
    void LogPacket(DWORD level, const BYTE* data, DWORD length, DWORD direction);
    void ReopenLog();
    void CloseLog();

    // Fields, in their documented order.
    BYTE m_bUseTcpip;
    DWORD m_nPort;
    SOCKET m_socket_fd;
    WCHAR m_szIP[24];
    DWORD m_dwModelSN;
    DWORD m_dwLogLevel;
    FILE* m_fpLog;
    WCHAR m_szLogLineW[4096];
    char m_szLogLineA[4096];
    HANDLE m_hPipe;
    WORD m_wOsVersionCode;
    BYTE m_bOpen;
    HANDLE m_hMutexRW;
    OVERLAPPED m_OverlappedRW;
    WCHAR m_szSymbolicLink[260];
    WCHAR m_szGUID[260];
    WCHAR m_szVIDPID[260];
    char m_szLogFileName[256];
    BYTE m_bLogBanner;
    BYTE m_bEnableMutex;
    DWORD m_dwTimeOutR;
    DWORD m_dwTimeOutW;
    DWORD m_dwMaxChunk;
    DWORD m_dwInstIndex;
    DWORD m_dwLinked;
    DWORD m_dwEnumMode;
    BYTE m_byLinkSearch;
    // Bound of the wait in EnterMutex; LINK_MUTEX_WAIT_MS unless a test shortens it.
    DWORD m_dwMutexWait;
};
