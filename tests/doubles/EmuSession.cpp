#include "EmuSession.h"

CEmuSession::CEmuSession(CEmuChannel& channel, const EmuSessionSetup& setup, DWORD connection)
    : m_channel(channel), m_setup(setup), m_dwConnection(connection), m_bEnded(FALSE), m_buffer(EMU_RECEIVE_CHUNK)
{
}

void CEmuSession::Run()
{
    while (!m_bEnded && Fill()) {
        if (!Drain())
            break;
    }
    // An unfinished frame is kept as what it is: bytes without a frame.
    if (!m_pending.empty()) {
        RecordStray(m_pending);
        m_pending.clear();
    }
}

BOOL CEmuSession::Fill()
{
    for (;;) {
        DWORD got = 0;
        BOOL bPieceEnd = TRUE;
        EmuReceive result = m_channel.Receive(m_buffer.data(), static_cast<DWORD>(m_buffer.size()), &got, &bPieceEnd,
                                              EMU_WAIT_FOREVER);
        if (result != EMU_RECV_DATA)
            return FALSE;
        // An empty pipe message carries nothing to parse.
        if (got) {
            m_pending.append(reinterpret_cast<const char*>(m_buffer.data()), got);
            return TRUE;
        }
    }
}

BOOL CEmuSession::Drain()
{
    while (!m_pending.empty()) {
        if (m_pending[0] != EMU_ESC) {
            size_t esc = m_pending.find(EMU_ESC);
            RecordStray(m_pending.substr(0, esc));
            m_pending.erase(0, esc);
            continue;
        }
        // A second ESC before the CR starts the frame anew.
        size_t end = m_pending.find_first_of(std::string(1, EMU_CR) + EMU_ESC, 1);
        if (end != std::string::npos && m_pending[end] == EMU_ESC) {
            RecordStray(m_pending.substr(0, end));
            m_pending.erase(0, end);
            continue;
        }
        if (end == std::string::npos) {
            if (m_pending.size() < EMU_MAX_FRAME)
                return TRUE;
            RecordStray(m_pending);
            m_pending.clear();
            return TRUE;
        }
        std::string raw = m_pending.substr(0, end + 1);
        m_pending.erase(0, end + 1);
        if (!Answer(raw))
            return FALSE;
    }
    return TRUE;
}

BOOL CEmuSession::Answer(const std::string& raw)
{
    EmuFrame frame;
    frame.bFramed = TRUE;
    frame.raw = raw;
    frame.request = raw.substr(1, raw.size() - 2);
    frame.timeMs = CPrinterEmulator::NowMs();
    frame.connection = m_dwConnection;

    EmuStep step = m_setup.pScript->Pick(frame.request);
    frame.action = step.action;
    if (step.action == EMU_REPLY) {
        frame.reply = step.reply;
        frame.bulkExpected = step.bulkBytes;
    }
    // Recorded at once, so that a test sees the frame while its answer waits.
    ULONGLONG id = m_setup.pRecorder->Add(frame);

    BOOL bGoOn = TRUE;
    if (step.delayMs && WaitForSingleObject(m_setup.hStop, step.delayMs) == WAIT_OBJECT_0) {
        frame.action = EMU_SILENT;
        frame.reply.clear();
        frame.bulkExpected = 0;
        bGoOn = FALSE;
    } else if (step.action == EMU_REPLY) {
        // Stamped before sending: the product may act on the reply at once.
        frame.replyMs = CPrinterEmulator::NowMs();
        m_setup.pRecorder->Update(id, frame);
        m_channel.Send(step.reply);
        if (frame.bulkExpected)
            ReadBulk(frame);
    } else if (step.action == EMU_CLOSE) {
        frame.replyMs = CPrinterEmulator::NowMs();
        m_setup.pRecorder->Update(id, frame);
        m_channel.Close();
        bGoOn = FALSE;
    }
    m_setup.pRecorder->Finish(id, frame);
    Notify(frame);
    return bGoOn && !m_bEnded;
}

void CEmuSession::ReadBulk(EmuFrame& frame)
{
    const ULONGLONG deadline = GetTickCount64() + static_cast<DWORD>(*m_setup.pBulkTimeoutMs);
    DWORD piece = 0;

    // Bytes that came with the frame count as part of the current piece.
    size_t take = m_pending.size() < frame.bulkExpected ? m_pending.size() : frame.bulkExpected;
    frame.bulk.assign(m_pending, 0, take);
    m_pending.erase(0, take);
    piece = static_cast<DWORD>(take);

    while (frame.bulk.size() < frame.bulkExpected) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        DWORD got = 0;
        BOOL bPieceEnd = TRUE;
        EmuReceive result = m_channel.Receive(m_buffer.data(), static_cast<DWORD>(m_buffer.size()), &got, &bPieceEnd,
                                              static_cast<DWORD>(deadline - now));
        if (result != EMU_RECV_DATA) {
            if (result != EMU_RECV_TIMEOUT)
                m_bEnded = TRUE;
            break;
        }
        const char* data = reinterpret_cast<const char*>(m_buffer.data());
        size_t need = frame.bulkExpected - frame.bulk.size();
        size_t used = got < need ? got : need;
        frame.bulk.append(data, used);
        piece += static_cast<DWORD>(used);
        // What goes beyond the bulk data is the product's next frame.
        if (used < got) {
            m_pending.append(data + used, got - used);
            break;
        }
        if (bPieceEnd && piece) {
            frame.bulkPieces.push_back(piece);
            piece = 0;
        }
    }
    if (piece)
        frame.bulkPieces.push_back(piece);
}

void CEmuSession::RecordStray(const std::string& bytes)
{
    if (bytes.empty())
        return;
    EmuFrame frame;
    frame.bFramed = FALSE;
    frame.raw = bytes;
    frame.timeMs = CPrinterEmulator::NowMs();
    frame.connection = m_dwConnection;
    frame.action = EMU_SILENT;
    m_setup.pRecorder->Add(frame);
    Notify(frame);
}

void CEmuSession::Notify(const EmuFrame& frame)
{
    if (m_setup.pfnObserver)
        m_setup.pfnObserver(frame, m_setup.pObserverContext);
}
