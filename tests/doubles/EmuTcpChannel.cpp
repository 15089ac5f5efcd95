#include "EmuTcpChannel.h"

int EmuWaitReadable(SOCKET socket, HANDLE hStop, DWORD timeoutMs)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (WaitForSingleObject(hStop, 0) == WAIT_OBJECT_0)
            return -1;
        DWORD slice = EMU_TCP_POLL_MS;
        if (timeoutMs != EMU_WAIT_FOREVER) {
            ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeoutMs)
                return 0;
            if (timeoutMs - elapsed < slice)
                slice = static_cast<DWORD>(timeoutMs - elapsed);
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval wait = {0, static_cast<long>(slice * 1000)};
        int ready = select(0, &readable, NULL, NULL, &wait);
        if (ready == SOCKET_ERROR)
            return -1;
        if (ready > 0)
            return 1;
    }
}

CEmuTcpChannel::CEmuTcpChannel(SOCKET socket, HANDLE hStop) : m_socket(socket), m_hStop(hStop) {}

CEmuTcpChannel::~CEmuTcpChannel()
{
    Close();
}

EmuReceive CEmuTcpChannel::Receive(BYTE* buffer, DWORD size, DWORD* received, BOOL* pieceEnd, DWORD timeoutMs)
{
    *received = 0;
    *pieceEnd = TRUE;
    if (m_socket == INVALID_SOCKET)
        return EMU_RECV_CLOSED;
    int ready = EmuWaitReadable(m_socket, m_hStop, timeoutMs);
    if (ready == 0)
        return EMU_RECV_TIMEOUT;
    if (ready < 0)
        return WaitForSingleObject(m_hStop, 0) == WAIT_OBJECT_0 ? EMU_RECV_STOPPED : EMU_RECV_CLOSED;
    int got = recv(m_socket, reinterpret_cast<char*>(buffer), static_cast<int>(size), 0);
    if (got <= 0)
        return EMU_RECV_CLOSED;
    *received = static_cast<DWORD>(got);
    return EMU_RECV_DATA;
}

BOOL CEmuTcpChannel::Send(const std::string& bytes)
{
    if (m_socket == INVALID_SOCKET)
        return FALSE;
    if (bytes.empty())
        return TRUE;
    return send(m_socket, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

void CEmuTcpChannel::Close()
{
    if (m_socket == INVALID_SOCKET)
        return;
    // A graceful end: the product's next recv gives 0.
    shutdown(m_socket, SD_SEND);
    closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}
