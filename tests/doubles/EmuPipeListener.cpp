#include "EmuPipeListener.h"

#include "EmuPipeChannel.h"

// Pause before trying again to make an instance, so that a failure cannot spin.
static const DWORD EMU_PIPE_RETRY_MS = 20;

CEmuPipeListener::CEmuPipeListener(HANDLE hStop) : m_hStop(hStop), m_slots()
{
    for (Slot& slot : m_slots)
        slot.hEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
}

CEmuPipeListener::~CEmuPipeListener()
{
    for (Slot& slot : m_slots) {
        DropInstance(slot);
        if (slot.hEvent)
            CloseHandle(slot.hEvent);
    }
}

void CEmuPipeListener::DropInstance(Slot& slot)
{
    if (!slot.hPipe)
        return;
    if (!slot.bConnected)
        EmuCancelIo(slot.hPipe, slot.ov);
    CloseHandle(slot.hPipe);
    slot.hPipe = NULL;
    slot.bConnected = FALSE;
}

BOOL CEmuPipeListener::NewInstance(Slot& slot, BOOL bFirst)
{
    if (!slot.hEvent)
        return FALSE;
    DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (bFirst ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    HANDLE h = CreateNamedPipeW(m_path.c_str(), openMode, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                PIPE_UNLIMITED_INSTANCES, EMU_PIPE_BUFFER, EMU_PIPE_BUFFER, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    slot.ov = OVERLAPPED();
    slot.ov.hEvent = slot.hEvent;
    ResetEvent(slot.hEvent);
    slot.bConnected = FALSE;
    if (!ConnectNamedPipe(h, &slot.ov)) {
        DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED) {
            slot.bConnected = TRUE;
        } else if (error != ERROR_IO_PENDING) {
            CloseHandle(h);
            SetLastError(error);
            return FALSE;
        }
    }
    slot.hPipe = h;
    return TRUE;
}

BOOL CEmuPipeListener::Refill()
{
    BOOL bAny = FALSE;
    for (Slot& slot : m_slots) {
        if (!slot.hPipe)
            NewInstance(slot, FALSE);
        bAny = bAny || slot.hPipe != NULL;
    }
    return bAny;
}

BOOL CEmuPipeListener::Listen(LPCWSTR pipePath)
{
    if (!pipePath || !*pipePath || !m_path.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Some systems let FILE_FLAG_FIRST_PIPE_INSTANCE through on a taken name.
    if (WaitNamedPipeW(pipePath, 1) || GetLastError() != ERROR_FILE_NOT_FOUND) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    m_path = pipePath;
    if (!NewInstance(m_slots[0], TRUE)) {
        DWORD dwError = GetLastError();
        m_path.clear();
        SetLastError(dwError ? dwError : ERROR_GEN_FAILURE);
        return FALSE;
    }
    Refill();
    return TRUE;
}

CEmuChannel* CEmuPipeListener::Accept()
{
    if (m_path.empty())
        return NULL;
    for (;;) {
        if (WaitForSingleObject(m_hStop, 0) == WAIT_OBJECT_0)
            return NULL;
        if (!Refill()) {
            if (WaitForSingleObject(m_hStop, EMU_PIPE_RETRY_MS) == WAIT_OBJECT_0)
                return NULL;
            continue;
        }
        Slot* ready = NULL;
        for (Slot& slot : m_slots) {
            if (slot.hPipe && slot.bConnected) {
                ready = &slot;
                break;
            }
        }
        if (!ready) {
            HANDLE waits[EMU_PIPE_SPARES + 1];
            Slot* owners[EMU_PIPE_SPARES];
            DWORD count = 0;
            for (Slot& slot : m_slots) {
                if (slot.hPipe) {
                    owners[count] = &slot;
                    waits[count++] = slot.hEvent;
                }
            }
            waits[count] = m_hStop;
            DWORD result = WaitForMultipleObjects(count + 1, waits, FALSE, INFINITE);
            if (result >= WAIT_OBJECT_0 + count)
                return NULL;
            Slot& slot = *owners[result - WAIT_OBJECT_0];
            DWORD unused = 0;
            if (!GetOverlappedResult(slot.hPipe, &slot.ov, &unused, FALSE) && GetLastError() != ERROR_PIPE_CONNECTED) {
                // The product left before it was served: start over with a fresh instance.
                DropInstance(slot);
                continue;
            }
            slot.bConnected = TRUE;
            ready = &slot;
        }
        HANDLE hConnected = ready->hPipe;
        ready->hPipe = NULL;
        ready->bConnected = FALSE;
        NewInstance(*ready, FALSE);
        return new CEmuPipeChannel(hConnected, m_hStop);
    }
}
