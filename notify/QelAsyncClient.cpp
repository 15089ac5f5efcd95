// QelAsyncClient: the entry point that the platform's asynchronous print-UI
// host calls in the user's session with each request. It delivers the
// request's message on the user's desktop and answers with its result.
#include "AsyncClient.h"
#include "AsyncMessage.h"
#include "Base64Coder.h"
#include "Platform.h"
#include "StateInfo.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

namespace {

// The host reads the reply after the call returns, so it lives in the
// module, not in thread-local storage (with this runtime each load of the
// library would take a process TLS slot for good). A call builds its reply in
// its own buffer and then copies it into the next of these slots: calls that
// end together take different slots, and a reply stays intact until
// REPLY_SLOTS more calls have replied, long after the host has read it.
const LONG REPLY_SLOTS = 16;
WCHAR g_replies[REPLY_SLOTS][ASYNC_REPLY_ROOM];
LONG g_nextReply = -1;

LPWSTR PublishReply(LPCWSTR reply)
{
    LONG slot = static_cast<LONG>(static_cast<ULONG>(InterlockedIncrement(&g_nextReply)) % REPLY_SLOTS);
    wcsncpy(g_replies[slot], reply, ASYNC_REPLY_ROOM - 1);
    g_replies[slot][ASYNC_REPLY_ROOM - 1] = L'\0';
    return g_replies[slot];
}

// A message goes to one window that exists, never to every window at once.
// The sender is the spooler's side: any message, the system's too, travels
// (a WM_COMMAND IDOK is how it ends the alert program).
bool MayDeliver(HWND target)
{
    return target != HWND_BROADCAST && IsWindow(target);
}

// The decoded blob of a WM_COPYDATA request into blob (room
// COPYDATA_BLOB_ROOM, zeroed); its length, or 0 when the request carries no
// "<lParam>...</lParam>" (*hasText FALSE) or its text does not fit.
DWORD DecodeBlob(LPWSTR request, BYTE* blob, BOOL* hasText)
{
    LPWSTR close = wcsstr(request, L"</lParam>");
    if (close)
        *close = L'\0';
    LPWSTR open = close ? wcsstr(request, L"<lParam>") : nullptr;
    *hasText = open != nullptr;
    if (!open)
        return 0;
    std::unique_ptr<char[]> text(new (std::nothrow) char[COPYDATA_BLOB_ROOM]());
    if (!text || !WideToAnsi(text.get(), open + wcslen(L"<lParam>"), COPYDATA_BLOB_ROOM))
        return 0;
    Base64Coder coder;
    coder.Decode(text.get());
    DWORD length = coder.DecodedLength();
    if (length > COPYDATA_BLOB_ROOM)
        length = COPYDATA_BLOB_ROOM;
    if (length)
        memcpy(blob, coder.DecodedMessage(), length);
    return length;
}

void DeliverCopyData(LPWSTR request, HWND target, LPWSTR reply)
{
    std::unique_ptr<BYTE[]> blob(new (std::nothrow) BYTE[COPYDATA_BLOB_ROOM]());
    BOOL hasText = FALSE;
    DWORD length = blob ? DecodeBlob(request, blob.get(), &hasText) : 0;
    if (!hasText) {
        reply[0] = L'\0';
        return;
    }
    // A blob without its whole head carries no record.
    if (length < COPYDATA_BLOB_HEADER || target == HWND_BROADCAST) {
        FormatAsyncMessageReply(reply, 0);
        return;
    }
    DWORD payloadLength = length - COPYDATA_BLOB_HEADER;
    ULONG_PTR kind = reinterpret_cast<const CopyDataBlob*>(blob.get())->dwData;
    DebugTrace(L"SendMessageToClient(2), dwData = %u, decoded = %u,\n", static_cast<DWORD>(kind), length);
    if (kind == CDS_STATE_INFO) {
        HWND window = target;
        LRESULT result = ShowStatusDialog(blob.get(), &window, payloadLength);
        FormatAsyncStatusReply(reply, result, window);
    } else if (kind == CDS_DEVMN_DATA) {
        FormatAsyncMessageReply(reply, SendJobDataToDevMon(blob.get(), payloadLength));
    } else {
        COPYDATASTRUCT cds = TakeBlobRecord(blob.get(), payloadLength, nullptr, payloadLength);
        FormatAsyncMessageReply(reply, SendMessageW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)));
    }
}

} // namespace

COPYDATASTRUCT TakeBlobRecord(const BYTE* blob, DWORD payloadLength, void* record, DWORD room)
{
    const CopyDataBlob* head = reinterpret_cast<const CopyDataBlob*>(blob);
    DWORD size = head->cbData;
    if (size > room)
        size = room;
    if (size > payloadLength)
        size = payloadLength;
    const BYTE* payload = blob + COPYDATA_BLOB_HEADER;
    if (record) {
        ZeroMemory(record, room);
        memcpy(record, payload, payloadLength < room ? payloadLength : room);
    }
    COPYDATASTRUCT cds = {head->dwData, size, record ? record : const_cast<BYTE*>(payload)};
    return cds;
}

extern "C" LPWSTR WINAPI SendMessageToClient(LPCWSTR request)
{
    WCHAR reply[ASYNC_REPLY_ROOM];
    std::unique_ptr<WCHAR[]> copy(new (std::nothrow) WCHAR[ASYNC_REQUEST_ROOM]());
    FormatAsyncMessageReply(reply, 0);
    if (!copy)
        return PublishReply(reply);
    if (request)
        wcsncpy(copy.get(), request, ASYNC_REQUEST_ROOM - 1);
    HWND target = reinterpret_cast<HWND>(FromWireNumber(ReadTagNumber(copy.get(), L"<hwndTarget>")));
    UINT message = static_cast<UINT>(ReadTagNumber(copy.get(), L"<uMsg>"));
    WPARAM wParam = static_cast<WPARAM>(FromWireNumber(ReadTagNumber(copy.get(), L"<wParam>")));
    DebugTrace(L"SendMessageToClient(1), hwnd = %p, uMsg = 0x%X, wParam = %d,\n", target, message,
               static_cast<int>(wParam));
    if (message == WM_COPYDATA) {
        DeliverCopyData(copy.get(), target, reply);
    } else if (MayDeliver(target)) {
        LPARAM lParam = FromWireNumber(ReadTagNumber(copy.get(), L"<lParam>"));
        FormatAsyncMessageReply(reply, SendMessageW(target, message, wParam, lParam));
    }
    DebugTrace(L"SendMessageToClient(3), reply = %ls,\n", reply);
    return PublishReply(reply);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
