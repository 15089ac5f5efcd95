// The fake notification router (see FakeSpoolss.h). One channel at a time:
// the tests send one message after another.
#include "FakeSpoolss.h"

#include "AsyncNotify.h"
#include "QueryOneInterface.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

CRITICAL_SECTION g_lock;
FakeChannelScript g_script;
FakeChannelRecord g_record;
IPrintAsyncNotifyCallback* g_callback;
// The request a late reply keeps, as the platform keeps its own reference.
IPrintAsyncNotifyDataObject* g_keptRequest;
HANDLE g_replyThread;
// Set when a held reply may go.
HANDLE g_replyGo;

void Note(const char* event)
{
    EnterCriticalSection(&g_lock);
    size_t have = strlen(g_record.events);
    snprintf(g_record.events + have, FAKE_EVENTS_ROOM - have, "%s%s", have ? "," : "", event);
    LeaveCriticalSection(&g_lock);
}

// The reply as the host's side of the channel hands it over.
class FakeReplyData final : public IPrintAsyncNotifyDataObject {
public:
    FakeReplyData(LPCWSTR text, bool acquireFails)
        : m_refs(1), m_acquireFails(acquireFails), m_size(static_cast<ULONG>((wcslen(text) + 1) * sizeof(WCHAR))),
          m_type(AsyncUINotificationType)
    {
        m_bytes = new BYTE[m_size];
        memcpy(m_bytes, text, m_size);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryOneInterface<IPrintAsyncNotifyDataObject>(this, riid, IID_IPrintAsyncNotifyDataObject, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG count = InterlockedDecrement(&m_refs);
        if (count == 0) {
            delete[] m_bytes;
            delete this;
        }
        return count;
    }
    HRESULT STDMETHODCALLTYPE AcquireData(BYTE** data, ULONG* size, PrintAsyncNotificationType** type) override
    {
        if (m_acquireFails)
            return E_FAIL;
        *data = m_bytes;
        *size = m_size;
        *type = &m_type;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReleaseData() override
    {
        Release();
        return S_OK;
    }

private:
    ~FakeReplyData() = default;
    LONG m_refs;
    bool m_acquireFails;
    ULONG m_size;
    BYTE* m_bytes;
    PrintAsyncNotificationType m_type;
};

// The text between attribute=" and the next quotation mark.
bool ReadAttribute(LPCWSTR request, LPCWSTR attribute, WCHAR* out, size_t room)
{
    LPCWSTR at = wcsstr(request, attribute);
    if (!at)
        return false;
    at += wcslen(attribute);
    size_t n = 0;
    while (at[n] && at[n] != L'"' && n + 1 < room) {
        out[n] = at[n];
        ++n;
    }
    out[n] = L'\0';
    return at[n] == L'"';
}

// What the print-UI host does with a customUI request: it loads the named
// library, its entry point takes the request and gives the reply, and the
// library goes again.
void CallEntryPoint(LPCWSTR request, WCHAR* reply)
{
    WCHAR dll[MAX_PATH], entry[64];
    char entryName[64];
    wcscpy(reply, L"");
    if (!ReadAttribute(request, L"dll=\"", dll, MAX_PATH) || !ReadAttribute(request, L"entrypoint=\"", entry, 64))
        return;
    WideCharToMultiByte(CP_ACP, 0, entry, -1, entryName, sizeof(entryName), nullptr, nullptr);
    HMODULE library = LoadLibraryW(dll);
    auto call = library ? reinterpret_cast<PFN_AsyncUIEntryPoint>(
                              reinterpret_cast<void*>(GetProcAddress(library, entryName)))
                        : nullptr;
    LPCWSTR text = call ? call(request) : nullptr;
    if (text)
        wcsncpy(reply, text, FAKE_REPLY_ROOM - 1);
    reply[FAKE_REPLY_ROOM - 1] = L'\0';
    // The host frees the library once it has read the reply.
    if (library)
        FreeLibrary(library);
}

class FakeChannel final : public IPrintAsyncNotifyChannel {
public:
    LONG refs = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryOneInterface<IPrintAsyncNotifyChannel>(this, riid, IID_IPrintAsyncNotifyChannel, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
    // The channel is the fake's own and outlives its references.
    ULONG STDMETHODCALLTYPE Release() override
    {
        Note("channel-release");
        return InterlockedDecrement(&refs);
    }
    HRESULT STDMETHODCALLTYPE SendNotification(IPrintAsyncNotifyDataObject* data) override;
    HRESULT STDMETHODCALLTYPE CloseChannel(IPrintAsyncNotifyDataObject*) override
    {
        Note("close");
        return S_OK;
    }
};

FakeChannel g_channel;

void ReleaseCallback()
{
    g_record.callbackRefs = static_cast<LONG>(g_callback->Release());
    g_callback = nullptr;
}

DWORD WINAPI Reply(LPVOID)
{
    Sleep(g_script.delayMs);
    if (g_script.way == FAKE_REPLY_LATE)
        WaitForSingleObject(g_replyGo, INFINITE);
    static WCHAR text[FAKE_REPLY_ROOM];
    wcscpy(text, g_script.reply);
    if (g_script.way == FAKE_HOST)
        CallEntryPoint(g_record.request, text);
    FakeReplyData* data = g_script.way == FAKE_CLOSED_NO_DATA
                              ? nullptr
                              : new FakeReplyData(text, g_script.way == FAKE_CLOSED_BAD_DATA);
    wcscpy(g_record.reply, text);
    Note("reply");
    g_record.replyResult = g_script.way == FAKE_REPLY_EVENT ? g_callback->OnEventNotify(&g_channel, data)
                                                            : g_callback->ChannelClosed(&g_channel, data);
    if (data)
        data->Release();
    if (g_script.way == FAKE_REPLY_LATE) {
        if (g_keptRequest)
            g_keptRequest->Release();
        g_keptRequest = nullptr;
        ReleaseCallback();
    }
    return 0;
}

HRESULT STDMETHODCALLTYPE FakeChannel::SendNotification(IPrintAsyncNotifyDataObject* data)
{
    Note("send");
    InterlockedIncrement(&g_record.sends);
    BYTE* bytes = nullptr;
    ULONG size = 0;
    PrintAsyncNotificationType* type = nullptr;
    if (data && SUCCEEDED(data->AcquireData(&bytes, &size, &type))) {
        g_record.requestBytes = size;
        if (type)
            g_record.requestType = *type;
        size_t units = bytes ? size / sizeof(WCHAR) : 0;
        if (units >= FAKE_REQUEST_ROOM)
            units = FAKE_REQUEST_ROOM - 1;
        memcpy(g_record.request, bytes, units * sizeof(WCHAR));
        g_record.request[units] = L'\0';
        data->ReleaseData();
    }
    if (data && g_script.way == FAKE_REPLY_LATE) {
        data->AddRef();
        g_keptRequest = data;
    }
    if (g_script.way == FAKE_SEND_FAILS)
        return E_FAIL;
    if (g_script.way != FAKE_REPLY_NEVER)
        g_replyThread = CreateThread(nullptr, 0, Reply, nullptr, 0, nullptr);
    return S_OK;
}

void EndReply(DWORD waitMs)
{
    SetEvent(g_replyGo);
    if (g_replyThread) {
        if (WaitForSingleObject(g_replyThread, waitMs) != WAIT_OBJECT_0)
            return;
        CloseHandle(g_replyThread);
        g_replyThread = nullptr;
    }
    if (g_callback)
        ReleaseCallback();
}

} // namespace

extern "C" HRESULT WINAPI RouterCreatePrintAsyncNotificationChannel(PCWSTR name, PrintAsyncNotificationType* type,
                                                                    PrintAsyncNotifyUserFilter filter,
                                                                    PrintAsyncNotifyConversationStyle style,
                                                                    IPrintAsyncNotifyCallback* callback,
                                                                    IPrintAsyncNotifyChannel** channel)
{
    Note("router");
    InterlockedIncrement(&g_record.routerCalls);
    if (name)
        wcsncpy(g_record.printer, name, 255);
    if (type)
        g_record.channelType = *type;
    g_record.userFilter = filter;
    g_record.conversationStyle = style;
    void* asked = nullptr;
    if (callback && SUCCEEDED(callback->QueryInterface(IID_IPrintAsyncNotifyCallback, &asked)) && asked == callback) {
        g_record.callbackInterface = TRUE;
        callback->Release();
    }
    if (g_script.way == FAKE_NO_CHANNEL || !channel || !callback) {
        if (channel)
            *channel = nullptr;
        return E_FAIL;
    }
    callback->AddRef();
    g_callback = callback;
    g_channel.refs = 1;
    *channel = &g_channel;
    return S_OK;
}

extern "C" void FakeSpoolssSetScript(const FakeChannelScript* script)
{
    EndReply(INFINITE);
    g_script = *script;
    ZeroMemory(&g_record, sizeof(g_record));
    g_record.callbackRefs = -1;
    ResetEvent(g_replyGo);
    g_channel.refs = 0;
}

extern "C" BOOL FakeSpoolssGetRecord(FakeChannelRecord* record, DWORD waitMs)
{
    if (g_script.way != FAKE_REPLY_NEVER)
        EndReply(waitMs);
    BOOL ended = g_replyThread == nullptr;
    EnterCriticalSection(&g_lock);
    *record = g_record;
    record->channelRefs = g_channel.refs;
    LeaveCriticalSection(&g_lock);
    return ended;
}

extern "C" void FakeSpoolssNote(const char* event)
{
    Note(event);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&g_lock);
        g_replyGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(instance), &self);
    }
    return TRUE;
}
