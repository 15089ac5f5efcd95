// CEmuChannel: one connection of the product to the emulator (a TCP
// connection or a pipe instance), as the emulator's session sees it. Every
// wait of a channel also ends when the emulator's stop event is set.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

enum EmuReceive {
    EMU_RECV_DATA,    // bytes arrived (possibly 0: an empty pipe message)
    EMU_RECV_TIMEOUT, // nothing within the time allowed
    EMU_RECV_CLOSED,  // the product closed the connection, or it failed
    EMU_RECV_STOPPED, // the emulator is stopping
};

// Bound of a receive that waits for the next frame.
const DWORD EMU_WAIT_FOREVER = INFINITE;

class CEmuChannel {
public:
    virtual ~CEmuChannel() {}
    // Receives what is there, at most size bytes. pieceEnd: the bytes end one
    // piece of the product's writing (a pipe message; every recv on TCP).
    virtual EmuReceive Receive(BYTE* buffer, DWORD size, DWORD* received, BOOL* pieceEnd, DWORD timeoutMs) = 0;
    // Sends the bytes with one send or WriteFile.
    virtual BOOL Send(const std::string& bytes) = 0;
    // Ends the connection so that the product sees it closed; idempotent.
    virtual void Close() = 0;
};
