#include "UsbLink.h"
#include "AsciiText.h"
#include "Platform.h"

#include <climits>
#include <cwchar>

namespace {

const DWORD DEFAULT_TIMEOUT_MS = 5000;
const DWORD LARGEST_CHUNK = 0x40000;
// Windows 2000's printer-class driver takes no larger transfer, and neither
// does a printer's network port in one piece.
const DWORD SMALL_CHUNK = 4096;
const DWORD LONGEST_IP_TEXT = 23;
// What a cancelled transfer is given to end before its buffer is handed back.
const DWORD CANCEL_WAIT_MS = 1000;
// Passes that write nothing before a short write is given up.
const DWORD ZERO_PASS_RETRIES = 5;
const DWORD TCP_REOPEN_PAUSE_MS = 1000;

bool IsLiveHandle(HANDLE h)
{
    return h != nullptr && h != INVALID_HANDLE_VALUE;
}

// Closes a handle the platform still knows; the field is cleared either way.
void CloseLiveHandle(HANDLE& h)
{
    DWORD flags = 0;
    if (IsLiveHandle(h) && GetHandleInformation(h, &flags))
        CloseHandle(h);
    h = nullptr;
}

// The socket library's error; fallback where it has set none, as after a
// select that timed out or a recv that met the end of the stream.
DWORD SocketError(DWORD fallback)
{
    DWORD e = (DWORD)WSAGetLastError();
    return e ? e : fallback;
}

// Waits until the socket is readable (or, for a connect, writable or failed);
// select's own result.
int WaitForSocket(SOCKET s, bool connecting, DWORD timeOut)
{
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval tv;
    tv.tv_sec = (long)(timeOut / 1000);
    tv.tv_usec = (long)(timeOut % 1000) * 1000;
    return connecting ? select(0, nullptr, &ready, &failed, &tv) : select(0, &ready, nullptr, nullptr, &tv);
}

// Every transfer starts with fresh status and offset words on the link's one
// record; its event stays.
void ResetRecord(OVERLAPPED& overlapped)
{
    HANDLE event = overlapped.hEvent;
    ZeroMemory(&overlapped, sizeof(overlapped));
    overlapped.hEvent = event;
}

// A cancelled transfer may still be running in the driver: it is given time
// to end so that it writes into no buffer the caller has got back.
void CancelTransfer(HANDLE handle, OVERLAPPED& overlapped)
{
    CancelIo(handle);
    if (overlapped.hEvent)
        WaitForSingleObject(overlapped.hEvent, CANCEL_WAIT_MS);
}

// Handles and addresses appear in the log as the 32-bit numbers of its lines.
int LogInt(const void* p)
{
    return (int)(INT_PTR)p;
}

unsigned LogHex(const void* p)
{
    return (unsigned)(UINT_PTR)p;
}

DWORD Smaller(DWORD a, DWORD b)
{
    return a < b ? a : b;
}

} // namespace

CUsbLink::CUsbLink()
{
    Init();
}

CUsbLink::~CUsbLink()
{
    CloseUsb();
    if (m_fpLog) {
        if (m_bLogBanner)
            WriteBanner(FALSE);
        CloseLog();
    }
}

void CUsbLink::Init()
{
    m_bUseTcpip = 0;
    m_nPort = 0;
    m_socket_fd = 0;
    ZeroMemory(m_szIP, sizeof(m_szIP));
    m_dwModelSN = 0;
    m_dwLogLevel = 0;
    m_fpLog = nullptr;
    ZeroMemory(m_szLogLineW, sizeof(m_szLogLineW));
    ZeroMemory(m_szLogLineA, sizeof(m_szLogLineA));
    m_hPipe = nullptr;
    m_wOsVersionCode = GetOSVersionCode();
    m_bOpen = 0;
    m_hMutexRW = nullptr;
    ZeroMemory(&m_OverlappedRW, sizeof(m_OverlappedRW));
    ZeroMemory(m_szSymbolicLink, sizeof(m_szSymbolicLink));
    ZeroMemory(m_szGUID, sizeof(m_szGUID));
    ZeroMemory(m_szVIDPID, sizeof(m_szVIDPID));
    ZeroMemory(m_szLogFileName, sizeof(m_szLogFileName));
    m_bLogBanner = 0;
    m_bEnableMutex = 0;
    m_dwTimeOutR = DEFAULT_TIMEOUT_MS;
    m_dwTimeOutW = DEFAULT_TIMEOUT_MS;
    m_dwMaxChunk = m_wOsVersionCode == OSV_WIN2000 ? SMALL_CHUNK : LARGEST_CHUNK;
    m_dwInstIndex = 0;
    m_dwLinked = 0;
    m_dwEnumMode = 0;
    m_byLinkSearch = 0;
    m_dwMutexWait = LINK_MUTEX_WAIT_MS;
}

DWORD CUsbLink::OpenUsb()
{
    const DWORD saved = GetLastError();
    DWORD result = 0;

    if (m_byLinkSearch) {
        result = ERROR_INVALID_FUNCTION;
    } else if (m_bUseTcpip) {
        if (m_bOpen)
            CloseTcpip();
        DWORD opened = OpenTcpip();
        DebugTrace(L"CUsbLink::OpenUsb(2), OpenTcpip() return %d,\n", opened);
        if (opened == 0)
            EnableMutex(TRUE);
        else
            result = opened == WSAECONNREFUSED ? WSAECONNREFUSED : ERROR_FILE_NOT_FOUND;
    } else {
        result = CreatePipes();
        DebugTrace(L"CUsbLink::OpenUsb(3), CreatePipes() return %d,\n", result);
        if (result == 0)
            EnableMutex(TRUE);
    }

    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::CreatePipes()
{
    const DWORD saved = GetLastError();
    DWORD result = 0;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | (m_dwTimeOutR ? FILE_FLAG_OVERLAPPED : 0);

    CloseLiveHandle(m_hPipe);
    // The event belongs to the mode of this open; one left from an earlier
    // open would leak or contradict it.
    CloseLiveHandle(m_OverlappedRW.hEvent);

    HANDLE device = CreateFileW(m_szSymbolicLink, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, flags, nullptr);
    DebugTrace(L"CUsbLink::CreatePipes(2), CreateFileW(%ls) return %d, dwError = %d,\n", m_szSymbolicLink,
               LogInt(device), GetLastError());
    if (!IsLiveHandle(device)) {
        result = ERROR_OPEN_FAILED;
        goto done;
    }
    if (m_dwTimeOutR) {
        m_OverlappedRW.hEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
        // Overlapped transfers without their event could never be waited for.
        if (!m_OverlappedRW.hEvent) {
            CloseHandle(device);
            result = ERROR_OPEN_FAILED;
            goto done;
        }
    }
    m_hPipe = device;

done:
    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::CloseUsb()
{
    const DWORD saved = GetLastError();

    if (!m_bUseTcpip)
        m_bOpen = 0;
    else if (m_bOpen)
        CloseTcpip();
    CloseLiveHandle(m_hPipe);
    // Not released: a link never holds the mutex between exchanges, and
    // m_bEnableMutex stays so that the next open creates it again.
    CloseLiveHandle(m_hMutexRW);
    CloseLiveHandle(m_OverlappedRW.hEvent);
    DebugTrace(L"CUsbLink::CloseUsb(), m_bEnableMutex = %d,\n", m_bEnableMutex);

    SetLastError(saved);
    return 0;
}

// A link holds one reference on the socket library exactly while it has a
// socket, so that every start is matched by one cleanup.
DWORD CUsbLink::OpenTcpip()
{
    const DWORD saved = GetLastError();
    DWORD result = 0;
    BOOL started = FALSE, connected = FALSE;
    SOCKET s = INVALID_SOCKET;
    WSADATA wsa;
    char host[2 * (LONGEST_IP_TEXT + 1)];
    hostent* entry = nullptr;
    sockaddr_in address;
    u_long nonBlocking = 1, blocking = 0;
    BOOL reuse = TRUE;
    DWORD sendTimeOut = m_dwTimeOutW;
    int rc = 0;

    if (m_socket_fd)
        CloseTcpip();

    rc = WSAStartup(MAKEWORD(2, 2), &wsa);
    DebugTrace(L"CUsbLink::OpenTcpip(1), WSAStartup() return %d,\n", rc);
    if (rc != 0) {
        result = (DWORD)rc;
        goto done;
    }
    started = TRUE;

    if (!WideToAnsi(host, m_szIP, (int)sizeof(host))) {
        result = WSAHOST_NOT_FOUND;
        goto done;
    }
    entry = gethostbyname(host);
    DebugTrace(L"CUsbLink::OpenTcpip(2), gethostbyname(%hs) return %d,\n", host, entry != nullptr);
    if (!entry) {
        result = SocketError(WSAHOST_NOT_FOUND);
        goto done;
    }
    // Only an IPv4 address fits the address record.
    if (entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list || !entry->h_addr_list[0]) {
        result = WSANO_DATA;
        goto done;
    }
    ZeroMemory(&address, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = htons((u_short)m_nPort);
    CopyMemory(&address.sin_addr, entry->h_addr_list[0], 4);

    s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET || s == 0) {
        result = SocketError(WSAENOTSOCK);
        s = INVALID_SOCKET;
        m_bOpen = 0;
        goto done;
    }

    // Without the non-blocking mode the connect could not be bounded.
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        result = SocketError(WSAEINVAL);
        goto unconnected;
    }
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
        connected = TRUE;
    } else {
        result = SocketError(WSAENOTCONN);
        if (result == WSAEWOULDBLOCK) {
            int ready = WaitForSocket(s, true, m_dwTimeOutR);
            DebugTrace(L"CUsbLink::OpenTcpip(5), select() return %d,\n", ready);
            if (ready == 0) {
                result = WSAEWOULDBLOCK;
            } else if (ready < 0) {
                result = SocketError(WSAENOTCONN);
            } else {
                // A refused or failed connect is reported through the socket's
                // own error, whatever the select sets.
                int error = 0, size = sizeof(error);
                if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
                    result = SocketError(WSAENOTCONN);
                else if (error != 0)
                    result = (DWORD)error;
                else
                    connected = TRUE;
            }
        }
    }
    ioctlsocket(s, FIONBIO, &blocking);

unconnected:
    m_socket_fd = s;
    m_bOpen = connected ? 1 : 0;
    if (!connected) {
        rc = closesocket(s);
        WriteLog(1, L"CUsbLink::OpenTcpip(), closesocket() return %d, dwError = %d,\n", rc, result);
        m_socket_fd = 0;
        s = INVALID_SOCKET;
        goto done;
    }
    result = 0;
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeOut), sizeof(sendTimeOut));

done:
    if (!connected && started)
        WSACleanup();
    DebugTrace(L"CUsbLink::OpenTcpip(8), result = %d,\n", result);
    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::CloseTcpip()
{
    const DWORD saved = GetLastError();

    if (m_socket_fd) {
        int rc = shutdown(m_socket_fd, SD_BOTH);
        WriteLog(1, L"CUsbLink::CloseTcpip(), shutdown() return %d, dwError = %d,\n", rc, WSAGetLastError());
        rc = closesocket(m_socket_fd);
        WriteLog(1, L"CUsbLink::CloseTcpip(), closesocket() return %d, dwError = %d,\n", rc, WSAGetLastError());
        m_socket_fd = 0;
        WSACleanup();
    }
    m_bOpen = 0;

    SetLastError(saved);
    return 0;
}

DWORD CUsbLink::Reopen()
{
    const DWORD saved = GetLastError();
    DWORD result = 0;

    if (m_bUseTcpip) {
        if (m_bOpen) {
            CloseTcpip();
            // The printer needs a moment before it accepts the next connection.
            Sleep(TCP_REOPEN_PAUSE_MS);
        }
        DWORD opened = OpenTcpip();
        if (opened)
            result = opened == WSAECONNREFUSED ? WSAECONNREFUSED : ERROR_FILE_NOT_FOUND;
    } else {
        CloseUsb();
        result = CreatePipes();
    }
    DebugTrace(L"CUsbLink::Reopen(), result = %d,\n", result);
    if (result == 0 && m_bEnableMutex)
        EnableMutex(TRUE);

    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::ReadData(BYTE* buffer, DWORD size, DWORD* bytesRead)
{
    const DWORD saved = GetLastError();
    DWORD result = 0, count = 0, chunk = 0;

    WriteLog(2, L"Begin CUsbLink::ReadData, dwBytesToRead = %d, m_hPipe = %d, m_dwTimeOutR = %d,\n", size,
             LogInt(m_hPipe), m_dwTimeOutR);
    if (!buffer || !bytesRead) {
        result = ERROR_INVALID_PARAMETER;
        goto done;
    }
    *bytesRead = 0;
    if (m_bUseTcpip ? !m_socket_fd : !IsLiveHandle(m_hPipe)) {
        result = ERROR_INVALID_HANDLE;
        goto done;
    }
    if (m_bUseTcpip) {
        int ready = WaitForSocket(m_socket_fd, false, m_dwTimeOutR);
        if (ready <= 0) {
            result = ready == 0 ? (DWORD)WSAETIMEDOUT : SocketError(WSAENOTSOCK);
            goto done;
        }
    }

    ZeroMemory(buffer, size);
    if (size != 0) {
        chunk = Smaller(size, m_dwMaxChunk);
        if (m_bUseTcpip) {
            int got = recv(m_socket_fd, reinterpret_cast<char*>(buffer), (int)Smaller(chunk, INT_MAX), 0);
            if (got != (int)chunk) {
                // The end of the stream is a closed connection, not an empty reply.
                DWORD error = got == 0 ? (DWORD)WSAECONNRESET : SocketError(WSAECONNRESET);
                WriteLog(2, L"CUsbLink::ReadData(), recv() return = %d, dwReadLen = %d, error = %d,\n", got, chunk, error);
                if (got > 0)
                    count = (DWORD)got;
                else
                    result = error;
            } else {
                count = chunk;
            }
        } else {
            result = SingleRead(m_hPipe, buffer, chunk, &count, m_OverlappedRW, m_dwTimeOutR);
        }
        WriteLog(2, L"CUsbLink::ReadData:: SingleRead() return %d, dwReadLen = %d, BytesRead = %d\n", result, chunk, count);
        *bytesRead += count;
    }
    LogPacket(1, buffer, Smaller(*bytesRead, 256), LOG_DIR_READ);

done:
    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::SingleRead(HANDLE& handle, BYTE* buffer, DWORD length, DWORD* bytesRead, OVERLAPPED& overlapped,
                           DWORD timeOut)
{
    const DWORD saved = GetLastError();
    DWORD result = 0, got = 0, error = 0, wait = 0;

    if (!buffer || !bytesRead) {
        result = ERROR_INVALID_PARAMETER;
        goto done;
    }
    *bytesRead = 0;
    if (!IsLiveHandle(handle)) {
        result = ERROR_INVALID_HANDLE;
        goto done;
    }
    ZeroMemory(buffer, length);

    if (timeOut == 0) {
        if (ReadFile(handle, buffer, length, &got, nullptr)) {
            *bytesRead = got;
            goto done;
        }
        error = GetLastError();
        WriteLog(3, L"CUsbLink::SingleRead, ReadFile return false, GetLastError = %d,\n", error);
        WriteLog(3, L"Parameters:: hPipeR = %d, lpInData = %d, dwLen = %d, dwReadAmount = %d\n", LogInt(handle),
                 LogInt(buffer), length, got);
        // A blocking device that failed is in an unknown state: it is dropped.
        CancelIo(handle);
        CloseLiveHandle(handle);
        result = ERROR_TIMEOUT;
        goto done;
    }

    ResetRecord(overlapped);
    WriteLog(3, L"Begin CUsbLink::SingleRead(), before ReadFile(), hPipeR = %d, dwLen = %d, dwReadAmount = %d\n",
             LogInt(handle), length, *bytesRead);
    if (ReadFile(handle, buffer, length, &got, &overlapped)) {
        *bytesRead = got;
        if (length != 0 && got == 0)
            result = ERROR_BAD_LENGTH;
        goto done;
    }
    error = GetLastError();
    WriteLog(3, L"CUsbLink::SingleRead(), after ReadFile(), dwLastError = %d\n", error);
    if (error != ERROR_IO_PENDING) {
        WriteLog(3,
                 L"CUsbLink::SingleRead(), ReadFile() return not ERROR_IO_PENDING, GetLastError = %d, \n"
                 L"Parameters:: hPipeR = %d, lpInData = %d, dwLen = %d, dwReadAmount = %d, &Overlap = 0x%08X,\n",
                 error, LogInt(handle), LogInt(buffer), length, got, LogHex(&overlapped));
        // Nothing is pending after a refusal, so there is nothing to wait for.
        result = error ? error : ERROR_GEN_FAILURE;
        goto done;
    }

    wait = WaitForSingleObject(overlapped.hEvent, timeOut);
    WriteLog(3, L"CUsbLink::SingleRead, WaitForSingleObject return = %d\n", wait);
    if (!GetOverlappedResult(handle, &overlapped, &got, FALSE)) {
        result = GetLastError();
        WriteLog(3, L"CUsbLink::SingleRead, GetOverlapResult return false, dwLastError = %d,\n", result);
        CancelTransfer(handle, overlapped);
        if (!result)
            result = ERROR_IO_INCOMPLETE;
        goto done;
    }
    *bytesRead = Smaller(got, length);
    if (length != 0 && got == 0) {
        result = ERROR_BAD_LENGTH;
        CancelTransfer(handle, overlapped);
    }
    WriteLog(3, L"CUsbLink::SingleRead, GetOverlapResult return true, dwReadAmount = %d, dwError = %d\n", got, result);

done:
    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::WriteData(const BYTE* buffer, DWORD length, DWORD* bytesWritten)
{
    const DWORD saved = GetLastError();
    DWORD result = 0, rest = length, total = 0;
    const BYTE* data = buffer;

    WriteLog(2, L"Begin CUsbLink::WriteData(), dwBytesToWrite = %d, m_hPipe = %d, m_dwTimeOutW = %d,\n", length,
             LogInt(m_hPipe), m_dwTimeOutW);
    if (!buffer || !bytesWritten) {
        result = ERROR_INVALID_PARAMETER;
        goto done;
    }
    *bytesWritten = 0;
    if (m_bUseTcpip ? !m_socket_fd : !IsLiveHandle(m_hPipe)) {
        result = ERROR_INVALID_HANDLE;
        goto done;
    }

    while (rest > 0) {
        DWORD chunk = Smaller(rest, m_dwMaxChunk), pass = 0;
        LogPacket(5, data, chunk, LOG_DIR_WRITE);
        if (m_bUseTcpip) {
            chunk = Smaller(chunk, INT_MAX);
            int sent = send(m_socket_fd, reinterpret_cast<const char*>(data), (int)chunk, 0);
            if (sent != (int)chunk) {
                DWORD error = SocketError(WSAECONNRESET);
                WriteLog(2, L"CUsbLink::WriteData(), send() return = %d, dwWriteLen = %d, error = %d,\n", sent, chunk,
                         error);
                result = sent == SOCKET_ERROR ? error : 0;
            } else {
                result = 0;
            }
            if (sent > 0)
                pass = (DWORD)sent;
        } else {
            result = SingleWrite(m_hPipe, data, chunk, &pass, m_OverlappedRW, m_dwTimeOutW);
        }
        pass = Smaller(pass, chunk);
        rest -= pass;
        total += pass;
        data += pass;
        *bytesWritten = total;
        WriteLog(2, L"CUsbLink::WriteData(), SingleWrite() return %d, dwWriteLen = %d, BytesWritten = %d, dwWriteAmount = %d,\n",
                 result, chunk, pass, total);
        if (pass == 0)
            break;
    }

    LogPacket(1, buffer, Smaller(total, 256), LOG_DIR_WRITE);
    if (total > 256)
        WriteLog(1, L"     dwDataLen = %d, dwSendRtrn = %d,\n", length, total);
    // A write that stopped short without an error of its own still failed.
    if (result == 0 && total < length)
        result = ERROR_BAD_LENGTH;

done:
    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::SingleWrite(HANDLE& handle, const BYTE* buffer, DWORD length, DWORD* bytesWritten,
                            OVERLAPPED& overlapped, DWORD timeOut)
{
    const DWORD saved = GetLastError();
    DWORD result = 0, got = 0, error = 0, wait = 0, left = length, retries = 0;
    const BYTE* data = buffer;

    if (!buffer || !bytesWritten) {
        result = ERROR_INVALID_PARAMETER;
        goto done;
    }
    *bytesWritten = 0;
    if (!IsLiveHandle(handle)) {
        result = ERROR_INVALID_HANDLE;
        goto done;
    }

    if (timeOut == 0) {
        BOOL written = WriteFile(handle, buffer, length, &got, nullptr);
        *bytesWritten = got;
        if (written)
            goto done;
        error = GetLastError();
        WriteLog(3, L"CUsbLink::SingleWrite, WriteFile return false, GetLastError = %d,\n", error);
        WriteLog(3, L"Parameters:: hPipeW = %d, lpOutData = 0x%08X, dwLen = %d, dwWriteAmount = %d\n", LogInt(handle),
                 LogHex(buffer), length, got);
        // A blocking device that failed is in an unknown state: it is dropped.
        CancelIo(handle);
        CloseLiveHandle(handle);
        result = ERROR_TIMEOUT;
        goto done;
    }

    // Each pass writes what the previous ones left.
    for (;;) {
        ResetRecord(overlapped);
        WriteLog(3, L"CUsbLink::SingleWrite, before WriteFile(hPipeW=%d), dwLen = %d, dwTimeOut = %d, lpOutData = 0x%08X\n",
                 LogInt(handle), left, timeOut, LogHex(data));
        if (WriteFile(handle, data, left, &got, &overlapped)) {
            *bytesWritten += Smaller(got, left);
            goto done;
        }
        error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            WriteLog(3, L"CUsbLink::SingleWrite, WriteFile return not ERROR_IO_PENDING, GetLastError = %d,\n", error);
            WriteLog(3, L"Parameters:: hPipeW = %d, lpOutData = 0x%08X, dwLen = %d, dwWriteAmount = %d, &Overlap = 0x%08X,\n",
                     LogInt(handle), LogHex(data), left, *bytesWritten, LogHex(&overlapped));
            // Nothing is pending after a refusal, so there is nothing to wait for.
            result = error ? error : ERROR_GEN_FAILURE;
            goto done;
        }
        wait = WaitForSingleObject(overlapped.hEvent, timeOut);
        WriteLog(3, L"CUsbLink::SingleWrite, WaitForSingleObject return = %d,\n", wait);
        if (!GetOverlappedResult(handle, &overlapped, &got, FALSE)) {
            result = GetLastError();
            if (!result)
                result = ERROR_IO_INCOMPLETE;
            WriteLog(3, L"CUsbLink::SingleWrite, GetOverlapResult return false, dwWritten = %d, dwLastError = %d, dwRetry = %d\n",
                     *bytesWritten, result, retries);
            LogPacket(3, data, Smaller(left, 10), LOG_DIR_WRITE);
            CancelTransfer(handle, overlapped);
            goto done;
        }
        got = Smaller(got, left);
        *bytesWritten += got;
        WriteLog(3, L"CUsbLink::SingleWrite, GetOverlapResult return true, dwWriteAmount = %d, dwLastError = %d\n", got,
                 result);
        if (got == left)
            goto done;
        if (retries >= ZERO_PASS_RETRIES) {
            CancelTransfer(handle, overlapped);
            result = ERROR_BAD_LENGTH;
            goto done;
        }
        if (got == 0)
            ++retries;
        data += got;
        left -= got;
    }

done:
    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::EnableMutex(BOOL on)
{
    const DWORD saved = GetLastError();
    DWORD result = 0;
    WCHAR nameW[MAX_PATH];
    char nameA[2 * MAX_PATH];
    size_t length = 0;
    const size_t longest = MAX_PATH - 1;
    SECURITY_DESCRIPTOR descriptor;
    SECURITY_ATTRIBUTES attributes;
    HANDLE mutex = nullptr;

    m_bEnableMutex = on ? 1 : 0;
    if (!on) {
        if (m_hMutexRW) {
            ReleaseMutex(m_hMutexRW);
            CloseLiveHandle(m_hMutexRW);
        }
        goto done;
    }
    if (m_hMutexRW)
        goto done;

    // The name is cut at the same place in every process, so that links to
    // one printer always meet.
    wcscpy(nameW, L"Global\\");
    length = wcslen(nameW);
    if (m_bUseTcpip) {
        for (size_t i = 0; i < ARRAYSIZE(m_szIP) && m_szIP[i] && length < longest; ++i)
            nameW[length++] = m_szIP[i];
    } else {
        size_t pathLength = wcsnlen(m_szSymbolicLink, ARRAYSIZE(m_szSymbolicLink));
        if (pathLength == 0)
            goto done;
        // Lower-cased without backslashes: links found by printer name and by
        // model row spell one device path differently.
        for (size_t i = 4; i < pathLength && length < longest; ++i) {
            WCHAR c = m_szSymbolicLink[i];
            if (c == L'\\')
                continue;
            nameW[length++] = AsciiToLower(c);
        }
    }
    nameW[length] = L'\0';
    if (!WideToAnsi(nameA, nameW, (int)sizeof(nameA))) {
        result = GetLastError() ? GetLastError() : ERROR_NO_UNICODE_TRANSLATION;
        goto done;
    }

    // No access list: every user's processes talk to the same printer.
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = TRUE;
    mutex = CreateMutexA(&attributes, FALSE, nameA);
    DebugTrace(L"CUsbLink::EnableMutex(5), CreateMutexA(%hs) return %d, dwError = %d,\n", nameA, LogInt(mutex),
               GetLastError());
    if (!IsLiveHandle(mutex)) {
        result = GetLastError() ? GetLastError() : ERROR_INVALID_HANDLE;
        goto done;
    }
    m_hMutexRW = mutex;

done:
    SetLastError(result ? result : saved);
    return result;
}

BOOL CUsbLink::EnterMutex()
{
    if (!m_bEnableMutex || !m_hMutexRW)
        return TRUE;
    const DWORD saved = GetLastError();
    DWORD wait = WaitForSingleObject(m_hMutexRW, m_dwMutexWait);
    DebugTrace(L"CUsbLink::EnterMutex(), WaitForSingleObject return = %d,\n", wait);
    // An owner that ended without releasing leaves the printer free.
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        SetLastError(saved);
        return TRUE;
    }
    if (wait == WAIT_TIMEOUT)
        SetLastError(ERROR_TIMEOUT);
    else if (GetLastError() == 0)
        SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL CUsbLink::LeaveMutex()
{
    if (m_bEnableMutex && m_hMutexRW) {
        const DWORD saved = GetLastError();
        ReleaseMutex(m_hMutexRW);
        SetLastError(saved);
    }
    return TRUE;
}

DWORD CUsbLink::SetIPAddr(LPCWSTR address, DWORD port)
{
    // A longer text is no IPv4 address; a shortened one could name another printer.
    if (!address || wcsnlen(address, LONGEST_IP_TEXT + 1) > LONGEST_IP_TEXT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    m_bUseTcpip = 1;
    m_nPort = port;
    wcscpy(m_szIP, address);
    m_dwMaxChunk = SMALL_CHUNK;
    DebugTrace(L"CUsbLink::SetIPAddr(%ls), nPort = %d,\n", m_szIP, m_nPort);
    return 0;
}

DWORD CUsbLink::SetMaxChunk(DWORD size)
{
    m_dwMaxChunk = size;
    if (m_wOsVersionCode == OSV_WIN2000)
        m_dwMaxChunk = Smaller(size, SMALL_CHUNK);
    else if (m_wOsVersionCode > OSV_WIN2000)
        m_dwMaxChunk = Smaller(size, LARGEST_CHUNK);
    if (!m_bUseTcpip || !m_socket_fd)
        return m_dwMaxChunk;

    const DWORD saved = GetLastError();
    DWORD result = 0;
    int buffer = (int)Smaller(m_dwMaxChunk, INT_MAX);
    setsockopt(m_socket_fd, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&buffer), sizeof(buffer));
    if (setsockopt(m_socket_fd, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&buffer), sizeof(buffer)) != 0)
        result = SocketError(WSAEINVAL);
    SetLastError(result ? result : saved);
    return result;
}

DWORD CUsbLink::SetTimeOut(DWORD readMs, DWORD writeMs)
{
    m_dwTimeOutR = readMs;
    m_dwTimeOutW = writeMs;
    if (!m_bUseTcpip || !m_socket_fd)
        return 0;
    const DWORD saved = GetLastError();
    DWORD result = 0;
    if (setsockopt(m_socket_fd, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&writeMs), sizeof(writeMs)) != 0)
        result = SocketError(WSAEINVAL);
    SetLastError(result ? result : saved);
    return result;
}
