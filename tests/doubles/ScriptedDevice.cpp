#include "ScriptedDevice.h"

#include <cstring>
#include <deque>

namespace {

// Status words of a transfer: still in progress, failed, cancelled.
const ULONG_PTR STATUS_PENDING_WORD = 0x103;
const ULONG_PTR STATUS_FAILED_WORD = 0xC0000001;
const ULONG_PTR STATUS_CANCELLED_WORD = 0xC0000120;

typedef BOOL(WINAPI* ReadFileFn)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
typedef BOOL(WINAPI* WriteFileFn)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
typedef BOOL(WINAPI* GetOverlappedResultFn)(HANDLE, LPOVERLAPPED, LPDWORD, BOOL);
typedef BOOL(WINAPI* CancelIoFn)(HANDLE);

// The import slot through which this program calls dll!name, or NULL.
void** FindImportSlot(const char* dll, const char* name)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return nullptr;
    for (auto imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (_stricmp(reinterpret_cast<char*>(base + imp->Name), dll) != 0 || !imp->OriginalFirstThunk)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), name) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

// Puts value into an import slot; gives the value it held.
void* Redirect(void** slot, void* value)
{
    DWORD old = 0;
    if (!slot || !VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old))
        return nullptr;
    void* was = *slot;
    *slot = value;
    VirtualProtect(slot, sizeof(void*), old, &old);
    return was;
}

} // namespace

struct CScriptedDevice::State {
    HANDLE hDevice = nullptr;
    std::deque<DevPass> writes, reads;
    std::vector<DevCall> calls;
    std::vector<std::string> written;
    DWORD unexpected = 0;
    // The transfer in progress: its pass and the caller's buffer (reads).
    BOOL bPending = FALSE;
    BOOL bCancelled = FALSE;
    DevPass pending;
    LPVOID pReadBuffer = nullptr;
    DWORD dwReadLength = 0;
    LPOVERLAPPED pOverlapped = nullptr;

    void* slots[4] = {};
    ReadFileFn realRead = nullptr;
    WriteFileFn realWrite = nullptr;
    GetOverlappedResultFn realResult = nullptr;
    CancelIoFn realCancel = nullptr;
    BOOL bReady = FALSE;

    void Record(const char* function, DWORD length, LPOVERLAPPED overlapped)
    {
        DevCall call;
        call.function = function;
        call.length = length;
        call.overlapped = overlapped != nullptr;
        calls.push_back(call);
    }

    BOOL Unexpected()
    {
        ++unexpected;
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }

    static void Deliver(const DevPass& pass, LPVOID buffer, DWORD length)
    {
        DWORD n = pass.count < length ? pass.count : length;
        ZeroMemory(buffer, n);
        memcpy(buffer, pass.data.data(), pass.data.size() < n ? pass.data.size() : n);
    }

    // One transfer: pass decides; read gives the buffer to fill.
    BOOL Transfer(std::deque<DevPass>& queue, LPVOID readBuffer, DWORD length, LPDWORD count, LPOVERLAPPED overlapped)
    {
        if (queue.empty() || bPending || !count)
            return Unexpected();
        DevPass pass = queue.front();
        queue.pop_front();
        bCancelled = FALSE;
        if (!overlapped && pass.how != DEV_AT_ONCE && pass.how != DEV_REFUSE)
            return Unexpected();
        *count = 0;
        switch (pass.how) {
        case DEV_AT_ONCE:
            *count = pass.count < length ? pass.count : length;
            if (readBuffer)
                Deliver(pass, readBuffer, length);
            if (overlapped) {
                overlapped->Internal = 0;
                overlapped->InternalHigh = *count;
                if (overlapped->hEvent)
                    SetEvent(overlapped->hEvent);
            }
            return TRUE;
        case DEV_REFUSE:
            SetLastError(pass.error);
            return FALSE;
        case DEV_PENDING:
        case DEV_NEVER:
            overlapped->Internal = STATUS_PENDING_WORD;
            bPending = TRUE;
            pending = pass;
            pOverlapped = overlapped;
            pReadBuffer = readBuffer;
            dwReadLength = length;
            if (overlapped->hEvent) {
                if (pass.how == DEV_PENDING)
                    SetEvent(overlapped->hEvent);
                else
                    ResetEvent(overlapped->hEvent);
            }
            SetLastError(ERROR_IO_PENDING);
            return FALSE;
        }
        return Unexpected();
    }

    BOOL Result(LPOVERLAPPED overlapped, LPDWORD count)
    {
        if (bCancelled && count) {
            *count = 0;
            SetLastError(ERROR_OPERATION_ABORTED);
            return FALSE;
        }
        if (!bPending || !count || !overlapped)
            return Unexpected();
        *count = 0;
        if (pending.how == DEV_NEVER) {
            SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        bPending = FALSE;
        if (pending.error) {
            overlapped->Internal = STATUS_FAILED_WORD;
            SetLastError(pending.error);
            return FALSE;
        }
        *count = pending.count < dwReadLength || !pReadBuffer ? pending.count : dwReadLength;
        if (pReadBuffer)
            Deliver(pending, pReadBuffer, dwReadLength);
        overlapped->Internal = 0;
        overlapped->InternalHigh = *count;
        return TRUE;
    }
};

namespace {

CScriptedDevice::State* g_pDevice = nullptr;

BOOL WINAPI DeviceReadFile(HANDLE h, LPVOID buffer, DWORD length, LPDWORD count, LPOVERLAPPED overlapped)
{
    CScriptedDevice::State* s = g_pDevice;
    if (h != s->hDevice)
        return s->realRead(h, buffer, length, count, overlapped);
    s->Record("ReadFile", length, overlapped);
    return s->Transfer(s->reads, buffer, length, count, overlapped);
}

BOOL WINAPI DeviceWriteFile(HANDLE h, LPCVOID buffer, DWORD length, LPDWORD count, LPOVERLAPPED overlapped)
{
    CScriptedDevice::State* s = g_pDevice;
    if (h != s->hDevice)
        return s->realWrite(h, buffer, length, count, overlapped);
    s->Record("WriteFile", length, overlapped);
    s->written.push_back(std::string(static_cast<const char*>(buffer), length));
    return s->Transfer(s->writes, nullptr, length, count, overlapped);
}

BOOL WINAPI DeviceGetOverlappedResult(HANDLE h, LPOVERLAPPED overlapped, LPDWORD count, BOOL wait)
{
    CScriptedDevice::State* s = g_pDevice;
    if (h != s->hDevice)
        return s->realResult(h, overlapped, count, wait);
    s->Record("GetOverlappedResult", 0, overlapped);
    // A waiting check of a transfer that never ends would hang the test.
    if (wait && s->bPending && s->pending.how == DEV_NEVER)
        return s->Unexpected();
    return s->Result(overlapped, count);
}

BOOL WINAPI DeviceCancelIo(HANDLE h)
{
    CScriptedDevice::State* s = g_pDevice;
    if (h != s->hDevice)
        return s->realCancel(h);
    s->Record("CancelIo", 0, nullptr);
    // A transfer still running ends as cancelled, and its event says so.
    if (s->bPending && s->pending.how == DEV_NEVER) {
        s->bPending = FALSE;
        s->bCancelled = TRUE;
        s->pOverlapped->Internal = STATUS_CANCELLED_WORD;
        if (s->pOverlapped->hEvent)
            SetEvent(s->pOverlapped->hEvent);
    }
    return TRUE;
}

} // namespace

namespace {

DevPass MakePass(DevHow how, DWORD count, DWORD error, const std::string& data = std::string())
{
    DevPass p;
    p.how = how;
    p.count = count;
    p.error = error;
    p.data = data;
    return p;
}

} // namespace

DevPass DevAtOnce(DWORD count)
{
    return MakePass(DEV_AT_ONCE, count, 0);
}

DevPass DevPending(DWORD count)
{
    return MakePass(DEV_PENDING, count, 0);
}

DevPass DevPendingError(DWORD error)
{
    return MakePass(DEV_PENDING, 0, error);
}

DevPass DevNever()
{
    return MakePass(DEV_NEVER, 0, 0);
}

DevPass DevRefuse(DWORD error)
{
    return MakePass(DEV_REFUSE, 0, error);
}

DevPass DevReadData(DevHow how, const std::string& data)
{
    return MakePass(how, (DWORD)data.size(), 0, data);
}

CScriptedDevice::CScriptedDevice() : m_pState(new State)
{
    State* s = m_pState;
    if (g_pDevice)
        return;
    s->hDevice = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const char* names[4] = {"ReadFile", "WriteFile", "GetOverlappedResult", "CancelIo"};
    void* hooks[4] = {reinterpret_cast<void*>(&DeviceReadFile), reinterpret_cast<void*>(&DeviceWriteFile),
                      reinterpret_cast<void*>(&DeviceGetOverlappedResult), reinterpret_cast<void*>(&DeviceCancelIo)};
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    s->realRead = reinterpret_cast<ReadFileFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "ReadFile")));
    s->realWrite = reinterpret_cast<WriteFileFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "WriteFile")));
    s->realResult = reinterpret_cast<GetOverlappedResultFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetOverlappedResult")));
    s->realCancel = reinterpret_cast<CancelIoFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "CancelIo")));
    g_pDevice = s;
    s->bReady = s->hDevice && s->realRead && s->realWrite && s->realResult && s->realCancel;
    for (int i = 0; i < 4 && s->bReady; ++i) {
        void** slot = FindImportSlot("kernel32.dll", names[i]);
        if (slot && Redirect(slot, hooks[i]))
            s->slots[i] = slot;
        else
            s->bReady = FALSE;
    }
}

CScriptedDevice::~CScriptedDevice()
{
    State* s = m_pState;
    if (g_pDevice == s) {
        void* real[4] = {reinterpret_cast<void*>(s->realRead), reinterpret_cast<void*>(s->realWrite),
                         reinterpret_cast<void*>(s->realResult), reinterpret_cast<void*>(s->realCancel)};
        for (int i = 0; i < 4; ++i)
            if (s->slots[i])
                Redirect(static_cast<void**>(s->slots[i]), real[i]);
        g_pDevice = nullptr;
    }
    // The product may have closed the handle as a failed device.
    DWORD flags = 0;
    if (s->hDevice && GetHandleInformation(s->hDevice, &flags))
        CloseHandle(s->hDevice);
    delete s;
}

BOOL CScriptedDevice::IsReady() const
{
    return m_pState->bReady;
}

HANDLE CScriptedDevice::GetHandle() const
{
    return m_pState->hDevice;
}

void CScriptedDevice::AddWrite(const DevPass& pass)
{
    m_pState->writes.push_back(pass);
}

void CScriptedDevice::AddRead(const DevPass& pass)
{
    m_pState->reads.push_back(pass);
}

size_t CScriptedDevice::GetPendingPasses() const
{
    return m_pState->writes.size() + m_pState->reads.size();
}

const std::vector<DevCall>& CScriptedDevice::GetCalls() const
{
    return m_pState->calls;
}

size_t CScriptedDevice::CountCalls(const char* function) const
{
    size_t n = 0;
    for (const DevCall& c : m_pState->calls)
        n += c.function == function;
    return n;
}

const std::vector<std::string>& CScriptedDevice::GetWrites() const
{
    return m_pState->written;
}

DWORD CScriptedDevice::GetUnexpectedCalls() const
{
    return m_pState->unexpected;
}
