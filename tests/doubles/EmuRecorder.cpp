#include "EmuRecorder.h"

CEmuRecorder::CEmuRecorder() : m_firstId(1), m_dwBusy(0), m_dwConnections(0), m_dwDisconnects(0)
{
    InitializeSRWLock(&m_lock);
    InitializeConditionVariable(&m_changed);
}

template <class Test> BOOL CEmuRecorder::WaitUntil(Test test, DWORD timeoutMs) const
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    AcquireSRWLockExclusive(&m_lock);
    BOOL bDone = test();
    while (!bDone) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        SleepConditionVariableSRW(&m_changed, &m_lock, static_cast<DWORD>(deadline - now), 0);
        bDone = test();
    }
    ReleaseSRWLockExclusive(&m_lock);
    return bDone;
}

ULONGLONG CEmuRecorder::Add(const EmuFrame& frame)
{
    AcquireSRWLockExclusive(&m_lock);
    m_frames.push_back(frame);
    ULONGLONG id = m_firstId + m_frames.size() - 1;
    if (frame.bFramed)
        m_dwBusy++;
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_changed);
    return id;
}

void CEmuRecorder::Replace(ULONGLONG id, const EmuFrame& frame, BOOL bFinish)
{
    AcquireSRWLockExclusive(&m_lock);
    if (id >= m_firstId && id - m_firstId < m_frames.size())
        m_frames[static_cast<size_t>(id - m_firstId)] = frame;
    if (bFinish && m_dwBusy)
        m_dwBusy--;
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_changed);
}

void CEmuRecorder::Update(ULONGLONG id, const EmuFrame& frame)
{
    Replace(id, frame, FALSE);
}

void CEmuRecorder::Finish(ULONGLONG id, const EmuFrame& frame)
{
    Replace(id, frame, TRUE);
}

std::vector<EmuFrame> CEmuRecorder::Frames(BOOL framedOnly) const
{
    std::vector<EmuFrame> frames;
    AcquireSRWLockShared(&m_lock);
    for (const EmuFrame& frame : m_frames) {
        if (frame.bFramed || !framedOnly)
            frames.push_back(frame);
    }
    ReleaseSRWLockShared(&m_lock);
    return frames;
}

size_t CEmuRecorder::Count() const
{
    AcquireSRWLockShared(&m_lock);
    size_t count = m_frames.size();
    ReleaseSRWLockShared(&m_lock);
    return count;
}

void CEmuRecorder::Clear()
{
    AcquireSRWLockExclusive(&m_lock);
    // Ids go on counting, so a frame being handled cannot update a newer record.
    m_firstId += m_frames.size();
    m_frames.clear();
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_changed);
}

BOOL CEmuRecorder::WaitForCount(size_t count, DWORD timeoutMs) const
{
    return WaitUntil([&] { return m_frames.size() >= count; }, timeoutMs);
}

BOOL CEmuRecorder::WaitForIdle(DWORD timeoutMs) const
{
    return WaitUntil([&] { return m_dwBusy == 0; }, timeoutMs);
}

DWORD CEmuRecorder::Connected()
{
    AcquireSRWLockExclusive(&m_lock);
    DWORD number = ++m_dwConnections;
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_changed);
    return number;
}

void CEmuRecorder::Disconnected()
{
    AcquireSRWLockExclusive(&m_lock);
    m_dwDisconnects++;
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_changed);
}

DWORD CEmuRecorder::Connections() const
{
    AcquireSRWLockShared(&m_lock);
    DWORD count = m_dwConnections;
    ReleaseSRWLockShared(&m_lock);
    return count;
}

DWORD CEmuRecorder::Disconnects() const
{
    AcquireSRWLockShared(&m_lock);
    DWORD count = m_dwDisconnects;
    ReleaseSRWLockShared(&m_lock);
    return count;
}

BOOL CEmuRecorder::WaitForConnections(DWORD count, DWORD timeoutMs) const
{
    return WaitUntil([&] { return m_dwConnections >= count; }, timeoutMs);
}

BOOL CEmuRecorder::WaitForDisconnects(DWORD count, DWORD timeoutMs) const
{
    return WaitUntil([&] { return m_dwDisconnects >= count; }, timeoutMs);
}
