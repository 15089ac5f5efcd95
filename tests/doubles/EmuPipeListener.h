// CEmuPipeListener: keeps a few instances of the emulator's named pipe
// waiting for the product's next opens, so that a product that closes and
// opens again at once (before the emulator has caught up) always finds one.
#pragma once

#include "EmuListener.h"

#include <string>

// Buffer sizes of each pipe instance.
const DWORD EMU_PIPE_BUFFER = 0x10000;
// Instances kept waiting: opens in a row the product may make unanswered.
const DWORD EMU_PIPE_SPARES = 4;

class CEmuPipeListener : public CEmuListener {
public:
    explicit CEmuPipeListener(HANDLE hStop);
    ~CEmuPipeListener() override;
    CEmuPipeListener(const CEmuPipeListener&) = delete;
    CEmuPipeListener& operator=(const CEmuPipeListener&) = delete;

    // Creates the instances of \\.\pipe\<name>; FALSE with the last error
    // (ERROR_ACCESS_DENIED when the name is in use).
    BOOL Listen(LPCWSTR pipePath);
    // Connections in the order their slots are found, one at a time.
    CEmuChannel* Accept() override;

private:
    struct Slot {
        HANDLE hPipe;
        HANDLE hEvent;
        OVERLAPPED ov;
        BOOL bConnected;
    };
    // Fills every empty slot; FALSE when no slot holds an instance.
    BOOL Refill();
    BOOL NewInstance(Slot& slot, BOOL bFirst);
    void DropInstance(Slot& slot);

    HANDLE m_hStop;
    Slot m_slots[EMU_PIPE_SPARES];
    std::wstring m_path;
};
