#include "EmuPipeChannel.h"

void EmuCancelIo(HANDLE handle, OVERLAPPED& ov)
{
    CancelIo(handle);
    WaitForSingleObject(ov.hEvent, EMU_PIPE_CANCEL_WAIT_MS);
}

CEmuPipeChannel::CEmuPipeChannel(HANDLE hPipe, HANDLE hStop)
    : m_hPipe(hPipe), m_hStop(hStop), m_hEvent(CreateEventW(NULL, TRUE, FALSE, NULL))
{
}

CEmuPipeChannel::~CEmuPipeChannel()
{
    Close();
    if (m_hEvent)
        CloseHandle(m_hEvent);
}

DWORD CEmuPipeChannel::Await(OVERLAPPED& ov, DWORD timeoutMs)
{
    HANDLE waits[2] = {ov.hEvent, m_hStop};
    DWORD result = WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
    if (result != WAIT_OBJECT_0)
        EmuCancelIo(m_hPipe, ov);
    return result;
}

EmuReceive CEmuPipeChannel::Receive(BYTE* buffer, DWORD size, DWORD* received, BOOL* pieceEnd, DWORD timeoutMs)
{
    *received = 0;
    *pieceEnd = TRUE;
    if (!m_hPipe || !m_hEvent)
        return EMU_RECV_CLOSED;

    OVERLAPPED ov = {};
    ov.hEvent = m_hEvent;
    ResetEvent(m_hEvent);
    DWORD waited = WAIT_OBJECT_0;
    if (!ReadFile(m_hPipe, buffer, size, NULL, &ov)) {
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING)
            waited = Await(ov, timeoutMs);
        else if (error != ERROR_MORE_DATA)
            return EMU_RECV_CLOSED;
    }
    DWORD got = 0;
    BOOL bDone = GetOverlappedResult(m_hPipe, &ov, &got, FALSE);
    DWORD error = bDone ? ERROR_SUCCESS : GetLastError();
    // A read that completed while it was being cancelled still delivers its bytes.
    if (bDone || error == ERROR_MORE_DATA) {
        *received = got;
        *pieceEnd = bDone;
        return EMU_RECV_DATA;
    }
    if (waited == WAIT_OBJECT_0 + 1)
        return EMU_RECV_STOPPED;
    if (waited == WAIT_TIMEOUT)
        return EMU_RECV_TIMEOUT;
    return EMU_RECV_CLOSED;
}

BOOL CEmuPipeChannel::Send(const std::string& bytes)
{
    if (!m_hPipe || !m_hEvent)
        return FALSE;
    OVERLAPPED ov = {};
    ov.hEvent = m_hEvent;
    ResetEvent(m_hEvent);
    if (!WriteFile(m_hPipe, bytes.data(), static_cast<DWORD>(bytes.size()), NULL, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING)
            return FALSE;
        Await(ov, EMU_PIPE_SEND_TIMEOUT_MS);
    }
    DWORD written = 0;
    return GetOverlappedResult(m_hPipe, &ov, &written, FALSE) && written == bytes.size();
}

void CEmuPipeChannel::Close()
{
    if (!m_hPipe)
        return;
    // Closing our end completes the product's pending read with an error.
    CloseHandle(m_hPipe);
    m_hPipe = NULL;
}
