// CEmuSession: serves one connection of the product: splits what arrives into
// frames, answers each from the script, reads expected bulk data and records
// everything.
#pragma once

#include "EmuChannel.h"
#include "EmuRecorder.h"
#include "EmuScript.h"

// A frame whose CR has not come within this many bytes is no frame.
const size_t EMU_MAX_FRAME = 1024;
// Size of one receive.
const DWORD EMU_RECEIVE_CHUNK = 0x10000;

const char EMU_ESC = '\x1B';
const char EMU_CR = '\x0D';

struct EmuSessionSetup {
    CEmuScript* pScript;
    CEmuRecorder* pRecorder;
    HANDLE hStop;
    const volatile LONG* pBulkTimeoutMs; // may change while serving
    EmuFrameObserver pfnObserver;
    void* pObserverContext;
};

class CEmuSession {
public:
    CEmuSession(CEmuChannel& channel, const EmuSessionSetup& setup, DWORD connection);
    CEmuSession(const CEmuSession&) = delete;
    CEmuSession& operator=(const CEmuSession&) = delete;

    // Returns when the product or a step closed the connection, or on stop.
    void Run();

private:
    // Appends one receive to m_pending; FALSE when the connection ended.
    BOOL Fill();
    // Takes every complete frame and stray bytes off m_pending; FALSE when
    // the connection is to end.
    BOOL Drain();
    BOOL Answer(const std::string& raw);
    void ReadBulk(EmuFrame& frame);
    void RecordStray(const std::string& bytes);
    void Notify(const EmuFrame& frame);

    CEmuChannel& m_channel;
    EmuSessionSetup m_setup;
    DWORD m_dwConnection;
    std::string m_pending;
    BOOL m_bEnded;
    std::vector<BYTE> m_buffer;
};
