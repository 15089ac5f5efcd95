// CEmuTcpListener: the emulator's listening TCP socket on a loopback address.
#pragma once

#include <winsock2.h>

#include "EmuListener.h"

class CEmuTcpListener : public CEmuListener {
public:
    explicit CEmuTcpListener(HANDLE hStop);
    ~CEmuTcpListener() override;
    CEmuTcpListener(const CEmuTcpListener&) = delete;
    CEmuTcpListener& operator=(const CEmuTcpListener&) = delete;

    // Binds address:port (port 0: any free port) and listens. FALSE with the
    // socket error as last error (WSAEADDRINUSE when the port is taken).
    BOOL Listen(LPCSTR address, WORD port);
    // The port bound, 0 before Listen.
    WORD GetPort() const { return m_wPort; }
    CEmuChannel* Accept() override;

private:
    HANDLE m_hStop;
    SOCKET m_socket;
    WORD m_wPort;
    BOOL m_bWsaStarted;
};
