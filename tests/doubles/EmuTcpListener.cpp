#include "EmuTcpListener.h"

#include <ws2tcpip.h>

#include "EmuTcpChannel.h"

CEmuTcpListener::CEmuTcpListener(HANDLE hStop) : m_hStop(hStop), m_socket(INVALID_SOCKET), m_wPort(0), m_bWsaStarted(FALSE)
{
}

CEmuTcpListener::~CEmuTcpListener()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    if (m_bWsaStarted)
        WSACleanup();
}

BOOL CEmuTcpListener::Listen(LPCSTR address, WORD port)
{
    DWORD dwError = ERROR_SUCCESS;
    sockaddr_in local = {};
    int length = sizeof(local);
    SOCKET s = INVALID_SOCKET;

    if (!address || m_socket != INVALID_SOCKET) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address, &local.sin_addr) != 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!m_bWsaStarted) {
        WSADATA data;
        int started = WSAStartup(MAKEWORD(2, 2), &data);
        if (started != 0) {
            SetLastError(static_cast<DWORD>(started));
            return FALSE;
        }
        m_bWsaStarted = TRUE;
    }
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        dwError = static_cast<DWORD>(WSAGetLastError());
        goto Exit;
    }
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR ||
        listen(s, SOMAXCONN) == SOCKET_ERROR ||
        getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) == SOCKET_ERROR) {
        dwError = static_cast<DWORD>(WSAGetLastError());
        goto Exit;
    }
    m_wPort = ntohs(local.sin_port);
    m_socket = s;
    s = INVALID_SOCKET;

Exit:
    if (s != INVALID_SOCKET)
        closesocket(s);
    if (dwError != ERROR_SUCCESS) {
        SetLastError(dwError);
        return FALSE;
    }
    return TRUE;
}

CEmuChannel* CEmuTcpListener::Accept()
{
    if (m_socket == INVALID_SOCKET)
        return NULL;
    for (;;) {
        int ready = EmuWaitReadable(m_socket, m_hStop, EMU_WAIT_FOREVER);
        if (ready < 0) {
            if (WaitForSingleObject(m_hStop, 0) == WAIT_OBJECT_0)
                return NULL;
            // A failed wait is not expected; pause so that it cannot spin.
            if (WaitForSingleObject(m_hStop, EMU_TCP_POLL_MS) == WAIT_OBJECT_0)
                return NULL;
            continue;
        }
        SOCKET s = accept(m_socket, NULL, NULL);
        if (s != INVALID_SOCKET)
            return new CEmuTcpChannel(s, m_hStop);
    }
}
