// CUsbLink: the byte link to one card printer, over its USB printer-class
// device interface (overlapped device I/O) or over a TCP connection, with the
// named cross-process mutex that serialises every exchange with that printer,
// and an optional packet log.
#pragma once

// SOCKET: from <winsock2.h>, or from the sockets header that <windows.h>
// brought in already when a file included that first.
#ifndef _WINSOCKAPI_
#include <winsock2.h>
#endif
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

    // Discovery (UsbLinkDiscovery.cpp). The open operations give the link's
    // result codes, also set as the last error (0 on success). Out texts have
    // the room given in characters; a result that does not fit gives
    // ERROR_INSUFFICIENT_BUFFER.
    DWORD OpenByName(LPCWSTR name);
    DWORD OpenByDevicePath(LPCWSTR path);
    DWORD OpenUsbPrinter2k(LPCWSTR name);
    DWORD OpenByModelSN(int model, DWORD instIndex, DWORD enumMode, BYTE ignored);
    DWORD OpenIOChannel();
    // Counts the class's interfaces; with ENUM_BY_USBID the paths of those
    // counted go to the first slots of pathList (may be NULL).
    DWORD CountDevices(const GUID& classGuid, DWORD mode, DWORD usbId, WCHAR (*pathList)[256], DWORD slots);
    DWORD CountModelDevices(int model, DWORD mode, WCHAR (*pathList)[256], DWORD slots);
    // 0 or the platform's error; on failure pathOut is emptied and *linkedOut is 0.
    DWORD GetLinkByInterface(const GUID& classGuid, DWORD index, LPWSTR pathOut, DWORD cchPath, DWORD* linkedOut,
                             DWORD mode, DWORD usbId);
    BOOL IsModelLinked(int model, DWORD instIndex, DWORD mode);
    DWORD FindSymbolicLinkByPrinterName2k(LPCWSTR name, LPWSTR pathOut, DWORD cchPath);
    DWORD FindPrinterNameByLink(LPWSTR nameOut, DWORD cchName);
    // 0 (found, or no interface keys), 1 (class key missing), 2 (last key not
    // linked), 4 (last key without path or of another device).
    DWORD GetSymbolicLink(LPWSTR pathOut, DWORD cchPath, LPCWSTR guidText, LPCWSTR vidPidText);

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

private:
    // Packet log helpers (UsbLinkLog.cpp).
    void WriteBanner(BOOL start);
    BOOL OpenLogFile(LPCWSTR name);
    void WriteLogText(const char* text, int length);
};
