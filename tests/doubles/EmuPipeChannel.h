// CEmuPipeChannel: one connected instance of the emulator's message-mode
// named pipe, the USB stand-in. Every product WriteFile arrives as one message.
#pragma once

#include "EmuChannel.h"

// Bound of a reply write that the product does not take.
const DWORD EMU_PIPE_SEND_TIMEOUT_MS = 5000;
// Bound of the wait for an I/O that was just cancelled.
const DWORD EMU_PIPE_CANCEL_WAIT_MS = 1000;

class CEmuPipeChannel : public CEmuChannel {
public:
    // Takes ownership of the connected pipe handle.
    CEmuPipeChannel(HANDLE hPipe, HANDLE hStop);
    ~CEmuPipeChannel() override;
    CEmuPipeChannel(const CEmuPipeChannel&) = delete;
    CEmuPipeChannel& operator=(const CEmuPipeChannel&) = delete;

    EmuReceive Receive(BYTE* buffer, DWORD size, DWORD* received, BOOL* pieceEnd, DWORD timeoutMs) override;
    BOOL Send(const std::string& bytes) override;
    void Close() override;

private:
    // Waits for the started I/O of ov (event or stop or timeout) and cancels
    // it when it did not end; returns the WaitForMultipleObjects result.
    DWORD Await(OVERLAPPED& ov, DWORD timeoutMs);

    HANDLE m_hPipe;
    HANDLE m_hStop;
    HANDLE m_hEvent;
};

// Ends a started overlapped I/O that is no longer wanted, without waiting
// for it longer than EMU_PIPE_CANCEL_WAIT_MS.
void EmuCancelIo(HANDLE handle, OVERLAPPED& ov);
