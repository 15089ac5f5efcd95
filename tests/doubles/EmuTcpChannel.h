// CEmuTcpChannel: one accepted TCP connection of the product.
#pragma once

#include <winsock2.h>

#include "EmuChannel.h"

// Slice of the socket waits, so that a stop is seen promptly.
const DWORD EMU_TCP_POLL_MS = 20;

class CEmuTcpChannel : public CEmuChannel {
public:
    CEmuTcpChannel(SOCKET socket, HANDLE hStop);
    ~CEmuTcpChannel() override;
    CEmuTcpChannel(const CEmuTcpChannel&) = delete;
    CEmuTcpChannel& operator=(const CEmuTcpChannel&) = delete;

    EmuReceive Receive(BYTE* buffer, DWORD size, DWORD* received, BOOL* pieceEnd, DWORD timeoutMs) override;
    BOOL Send(const std::string& bytes) override;
    void Close() override;

private:
    SOCKET m_socket;
    HANDLE m_hStop;
};

// Waits until the socket is readable: 1 readable, 0 time-out, -1 stopped or failed.
int EmuWaitReadable(SOCKET socket, HANDLE hStop, DWORD timeoutMs);
