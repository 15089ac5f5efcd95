#include "PrinterEmulator.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <ws2tcpip.h>

#include "EmuDevicePath.h"
#include "EmuPipeListener.h"
#include "EmuRecorder.h"
#include "EmuScript.h"
#include "EmuSession.h"
#include "EmuTcpListener.h"

const WCHAR EMU_USB_CLASS_GUID[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// How long Stop waits for the serving thread; every wait of that thread also
// ends on the stop event, so this is only a guard.
static const DWORD EMU_STOP_WAIT_MS = 10000;
// Private loopback addresses tried when the port is taken on the first.
static const DWORD EMU_ADDRESS_TRIES = 64;

// Numbers the pipes and instances of this process apart.
static volatile LONG g_lEmulatorSerial = 0;

struct CPrinterEmulator::State {
    CEmuScript script;
    CEmuRecorder recorder;
    SRWLOCK control; // Start and Stop
    volatile LONG lBulkTimeoutMs = EMU_DEFAULT_BULK_TIMEOUT_MS;
    EmuFrameObserver pfnObserver = NULL;
    void* pObserverContext = NULL;
    HANDLE hStop = CreateEventW(NULL, TRUE, FALSE, NULL);
    HANDLE hThread = NULL;
    CEmuListener* pListener = NULL;
    CEmuDevicePath devicePath;
    char szAddress[16] = "";
    WCHAR szAddressW[16] = L"";
    WORD wPort = 0;
    WCHAR szPipePath[MAX_PATH] = L"";
    // The serving thread did not end in time: its state must outlive us.
    BOOL bAbandoned = FALSE;

    State() { InitializeSRWLock(&control); }
    ~State()
    {
        delete pListener;
        if (hStop)
            CloseHandle(hStop);
    }

    // Takes the control lock; a transport may be made when it gives ERROR_SUCCESS.
    DWORD BeginStart();
    // Serves on pListener when dwError is ERROR_SUCCESS, otherwise drops what
    // the start made; releases the control lock and gives the Start* result.
    BOOL EndStart(DWORD dwError, DWORD dwSavedError);
    // Listens on \\.\pipe\<pipeName>.
    DWORD ListenOnPipe(LPCWSTR pipeName);
    void Forget();
    static DWORD WINAPI ServeConnections(void* param);
};

DWORD WINAPI CPrinterEmulator::State::ServeConnections(void* param)
{
    State* s = static_cast<State*>(param);
    EmuSessionSetup setup = {&s->script, &s->recorder, s->hStop, &s->lBulkTimeoutMs, s->pfnObserver, s->pObserverContext};
    for (;;) {
        CEmuChannel* channel = s->pListener->Accept();
        if (!channel)
            break;
        DWORD connection = s->recorder.Connected();
        {
            CEmuSession session(*channel, setup, connection);
            session.Run();
        }
        channel->Close();
        delete channel;
        s->recorder.Disconnected();
    }
    return 0;
}

DWORD CPrinterEmulator::State::BeginStart()
{
    AcquireSRWLockExclusive(&control);
    if (hThread)
        return ERROR_ALREADY_INITIALIZED;
    return hStop ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void CPrinterEmulator::State::Forget()
{
    delete pListener;
    pListener = NULL;
    devicePath.Remove();
    szAddress[0] = '\0';
    szAddressW[0] = L'\0';
    wPort = 0;
    szPipePath[0] = L'\0';
}

BOOL CPrinterEmulator::State::EndStart(DWORD dwError, DWORD dwSavedError)
{
    if (dwError == ERROR_SUCCESS) {
        ResetEvent(hStop);
        hThread = CreateThread(NULL, 0, ServeConnections, this, 0, NULL);
        if (!hThread)
            dwError = GetLastError();
    }
    // A start refused because one runs keeps what runs.
    if (dwError != ERROR_SUCCESS && dwError != ERROR_ALREADY_INITIALIZED)
        Forget();
    ReleaseSRWLockExclusive(&control);
    SetLastError(dwError == ERROR_SUCCESS ? dwSavedError : dwError);
    return dwError == ERROR_SUCCESS;
}

DWORD CPrinterEmulator::State::ListenOnPipe(LPCWSTR pipeName)
{
    if (swprintf(szPipePath, MAX_PATH, L"\\\\.\\pipe\\%ls", pipeName) < 0)
        return ERROR_INVALID_PARAMETER;
    CEmuPipeListener* listener = new CEmuPipeListener(hStop);
    pListener = listener;
    if (!listener->Listen(szPipePath)) {
        DWORD dwError = GetLastError();
        return dwError ? dwError : ERROR_GEN_FAILURE;
    }
    return ERROR_SUCCESS;
}

CPrinterEmulator::CPrinterEmulator() : m_pState(new State) {}

CPrinterEmulator::~CPrinterEmulator()
{
    Stop();
    if (!m_pState->bAbandoned)
        delete m_pState;
}

void CPrinterEmulator::AddStep(EmuMatch match, LPCSTR text, const EmuStep& step)
{
    m_pState->script.Add(match, text ? text : "", step);
}

void CPrinterEmulator::SetStanding(EmuMatch match, LPCSTR text, const EmuStep& step)
{
    m_pState->script.SetStanding(match, text ? text : "", step);
}

void CPrinterEmulator::Reply(LPCSTR request, LPCSTR text)
{
    SetStanding(EMU_MATCH_EXACT, request, EmuText(text));
}

void CPrinterEmulator::SetDefaultStep(const EmuStep& step)
{
    m_pState->script.SetDefault(step);
}

void CPrinterEmulator::ClearScript()
{
    m_pState->script.Clear();
}

size_t CPrinterEmulator::GetPendingSteps() const
{
    return m_pState->script.Pending();
}

void CPrinterEmulator::SetBulkTimeout(DWORD ms)
{
    InterlockedExchange(&m_pState->lBulkTimeoutMs, static_cast<LONG>(ms));
}

void CPrinterEmulator::SetFrameObserver(EmuFrameObserver observer, void* context)
{
    AcquireSRWLockExclusive(&m_pState->control);
    m_pState->pfnObserver = observer;
    m_pState->pObserverContext = context;
    ReleaseSRWLockExclusive(&m_pState->control);
}

BOOL CPrinterEmulator::StartTcp(LPCSTR address, WORD port)
{
    const DWORD dwSavedError = GetLastError();
    State* s = m_pState;
    in_addr parsed = {};

    if (address && (inet_pton(AF_INET, address, &parsed) != 1 || (ntohl(parsed.s_addr) >> 24) != 127)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD dwError = s->BeginStart();
    if (dwError == ERROR_SUCCESS) {
        CEmuTcpListener* listener = new CEmuTcpListener(s->hStop);
        s->pListener = listener;
        char szAddress[16] = "";
        if (address) {
            snprintf(szAddress, sizeof(szAddress), "%s", address);
            dwError = listener->Listen(szAddress, port) ? ERROR_SUCCESS : GetLastError();
        } else {
            dwError = WSAEADDRINUSE;
            for (DWORD index = 0; index < EMU_ADDRESS_TRIES && dwError == WSAEADDRINUSE; index++) {
                PrivateLoopbackAddress(index, szAddress, sizeof(szAddress));
                dwError = listener->Listen(szAddress, port) ? ERROR_SUCCESS : GetLastError();
            }
        }
        if (dwError == ERROR_SUCCESS) {
            snprintf(s->szAddress, sizeof(s->szAddress), "%s", szAddress);
            swprintf(s->szAddressW, 16, L"%hs", szAddress);
            s->wPort = listener->GetPort();
        }
    }
    return s->EndStart(dwError, dwSavedError);
}

BOOL CPrinterEmulator::StartPipe(LPCWSTR pipeName)
{
    const DWORD dwSavedError = GetLastError();
    State* s = m_pState;
    WCHAR szName[MAX_PATH];

    if (pipeName && (!*pipeName || wcschr(pipeName, L'\\') || wcslen(pipeName) > 200)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (pipeName)
        wcscpy(szName, pipeName);
    else
        swprintf(szName, MAX_PATH, L"QelEmu.%lu.%ld", GetCurrentProcessId(), InterlockedIncrement(&g_lEmulatorSerial));

    DWORD dwError = s->BeginStart();
    if (dwError == ERROR_SUCCESS)
        dwError = s->ListenOnPipe(szName);
    return s->EndStart(dwError, dwSavedError);
}

BOOL CPrinterEmulator::StartUsb(WORD productId, LPCWSTR instance)
{
    const DWORD dwSavedError = GetLastError();
    State* s = m_pState;
    WCHAR szName[64];
    WCHAR szInstance[MAX_PATH];
    LONG serial = InterlockedIncrement(&g_lEmulatorSerial);

    if (instance && (!*instance || wcschr(instance, L'\\') || wcslen(instance) > 150)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    swprintf(szName, 64, L"QelEmu.%lu.%ld", GetCurrentProcessId(), serial);
    if (instance)
        wcscpy(szInstance, instance);
    else
        swprintf(szInstance, MAX_PATH, L"7&%lx&0&%ld", GetCurrentProcessId(), serial);

    DWORD dwError = s->BeginStart();
    if (dwError == ERROR_SUCCESS)
        dwError = s->ListenOnPipe(szName);
    if (dwError == ERROR_SUCCESS && !s->devicePath.Create(productId, szInstance, szName))
        dwError = GetLastError();
    return s->EndStart(dwError, dwSavedError);
}

LPCSTR CPrinterEmulator::GetAddress() const
{
    return m_pState->szAddress;
}

WORD CPrinterEmulator::GetPort() const
{
    return m_pState->wPort;
}

LPCWSTR CPrinterEmulator::GetAddressW() const
{
    return m_pState->szAddressW;
}

LPCWSTR CPrinterEmulator::GetDevicePath() const
{
    return m_pState->devicePath.GetPath();
}

LPCWSTR CPrinterEmulator::GetPipePath() const
{
    return m_pState->szPipePath;
}

void CPrinterEmulator::Stop()
{
    State* s = m_pState;
    AcquireSRWLockExclusive(&s->control);
    if (s->hThread) {
        SetEvent(s->hStop);
        if (WaitForSingleObject(s->hThread, EMU_STOP_WAIT_MS) != WAIT_OBJECT_0) {
            // Freeing what the thread still uses would be worse than leaking it.
            fprintf(stderr, "CPrinterEmulator::Stop: the serving thread did not end; its state is left behind\n");
            s->bAbandoned = TRUE;
            ReleaseSRWLockExclusive(&s->control);
            return;
        }
        CloseHandle(s->hThread);
        s->hThread = NULL;
    }
    s->Forget();
    ReleaseSRWLockExclusive(&s->control);
}

BOOL CPrinterEmulator::IsRunning() const
{
    AcquireSRWLockShared(&m_pState->control);
    BOOL bRunning = m_pState->hThread != NULL;
    ReleaseSRWLockShared(&m_pState->control);
    return bRunning;
}

std::vector<EmuFrame> CPrinterEmulator::GetFrames() const
{
    return m_pState->recorder.Frames(FALSE);
}

std::vector<EmuFrame> CPrinterEmulator::GetRequests() const
{
    return m_pState->recorder.Frames(TRUE);
}

size_t CPrinterEmulator::GetFrameCount() const
{
    return m_pState->recorder.Count();
}

BOOL CPrinterEmulator::WaitForFrames(size_t count, DWORD timeoutMs) const
{
    return m_pState->recorder.WaitForCount(count, timeoutMs);
}

void CPrinterEmulator::ClearFrames()
{
    m_pState->recorder.Clear();
}

DWORD CPrinterEmulator::GetConnectionCount() const
{
    return m_pState->recorder.Connections();
}

BOOL CPrinterEmulator::WaitForConnections(DWORD count, DWORD timeoutMs) const
{
    return m_pState->recorder.WaitForConnections(count, timeoutMs);
}

DWORD CPrinterEmulator::GetDisconnectCount() const
{
    return m_pState->recorder.Disconnects();
}

BOOL CPrinterEmulator::WaitForDisconnects(DWORD count, DWORD timeoutMs) const
{
    return m_pState->recorder.WaitForDisconnects(count, timeoutMs);
}

BOOL CPrinterEmulator::WaitForIdle(DWORD timeoutMs) const
{
    return m_pState->recorder.WaitForIdle(timeoutMs);
}

ULONGLONG CPrinterEmulator::NowMs()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    ULONGLONG ticks = static_cast<ULONGLONG>(counter.QuadPart);
    ULONGLONG perSecond = static_cast<ULONGLONG>(frequency.QuadPart);
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

BOOL CPrinterEmulator::PrivateLoopbackAddress(DWORD index, LPSTR out, DWORD cchOut)
{
    if (!out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Process ids are multiples of 4; 16 addresses per process, none of them
    // 127.0.x.x (the usual loopback) nor ending in 0 or 255.
    DWORD value = (GetCurrentProcessId() >> 2) * 16 + index;
    char text[16];
    int length = snprintf(text, sizeof(text), "127.%lu.%lu.%lu", 1 + value / (254 * 256) % 254, value / 254 % 256,
                          1 + value % 254);
    if (length < 0 || static_cast<DWORD>(length) >= cchOut) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(out, text, static_cast<size_t>(length) + 1);
    return TRUE;
}
