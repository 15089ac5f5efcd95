// CEmuRecorder: what the emulator received, the connection counts and
// whether a frame is being handled, with bounded waits on each. Safe to use
// from any thread.
#pragma once

#include "PrinterEmulator.h"

class CEmuRecorder {
public:
    CEmuRecorder();
    CEmuRecorder(const CEmuRecorder&) = delete;
    CEmuRecorder& operator=(const CEmuRecorder&) = delete;

    // Adds a record and returns its id; a framed record also marks the
    // emulator busy until Finish.
    ULONGLONG Add(const EmuFrame& frame);
    // Replaces the record with that id, if ClearFrames left it.
    void Update(ULONGLONG id, const EmuFrame& frame);
    // Replaces it and ends the busy mark of Add.
    void Finish(ULONGLONG id, const EmuFrame& frame);

    std::vector<EmuFrame> Frames(BOOL framedOnly) const;
    size_t Count() const;
    void Clear();
    BOOL WaitForCount(size_t count, DWORD timeoutMs) const;
    BOOL WaitForIdle(DWORD timeoutMs) const;

    // Returns the 1-based number of the new connection.
    DWORD Connected();
    void Disconnected();
    DWORD Connections() const;
    DWORD Disconnects() const;
    BOOL WaitForConnections(DWORD count, DWORD timeoutMs) const;
    BOOL WaitForDisconnects(DWORD count, DWORD timeoutMs) const;

private:
    // Waits until test() holds, at most timeoutMs; test runs under the lock.
    template <class Test> BOOL WaitUntil(Test test, DWORD timeoutMs) const;
    // Update, and with bFinish also Finish.
    void Replace(ULONGLONG id, const EmuFrame& frame, BOOL bFinish);

    mutable SRWLOCK m_lock;
    mutable CONDITION_VARIABLE m_changed;
    std::vector<EmuFrame> m_frames;
    ULONGLONG m_firstId; // id of m_frames[0]
    DWORD m_dwBusy;
    DWORD m_dwConnections;
    DWORD m_dwDisconnects;
};
