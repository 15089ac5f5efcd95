// QelAsyncServer: delivers one window message to a window of the user's
// session through the spooler's asynchronous print-UI channel and returns
// the message's result. Every call stands alone: its own coder, callback,
// data object and channel.
#include "AsyncMessage.h"
#include "AsyncNotify.h"
#include "Base64Coder.h"
#include "Platform.h"
#include "PrintOEMAsyncNotifyCallback.h"
#include "PrintOEMAsyncNotifyDataObject.h"
#include "StateInfo.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

namespace {

struct PollPlan {
    DWORD polls;
    DWORD intervalMs;
};

// Long enough for a user to answer the alert program's message dialog.
const PollPlan DIALOG_PLAN = {10000, 2000};
const PollPlan COPYDATA_PLAN = {50, 300};
const PollPlan MESSAGE_PLAN = {200, 50};

PollPlan PlanFor(UINT message, WPARAM wParam)
{
    if (message == WM_COPYDATA)
        return COPYDATA_PLAN;
    if (message == WM_MY_PRINTER &&
        (wParam == NTY_SHOW_ERROR_DLG || wParam == NTY_MSG_1004 || wParam == NTY_MSG_1100))
        return DIALOG_PLAN;
    return MESSAGE_PLAN;
}

// The Base64 text of the caller's COPYDATASTRUCT image and its payload,
// widened into lParamText (room ASYNC_REQUEST_ROOM). FALSE when the record
// cannot travel: no structure, no data behind a size, or a blob larger than
// its buffer.
BOOL EncodeCopyData(const COPYDATASTRUCT* cds, Base64Coder& coder, LPWSTR lParamText)
{
    if (!cds || (cds->cbData && !cds->lpData) || cds->cbData > COPYDATA_BLOB_ROOM - COPYDATA_BLOB_HEADER)
        return FALSE;
    std::unique_ptr<BYTE[]> blob(new (std::nothrow) BYTE[COPYDATA_BLOB_ROOM]());
    if (!blob)
        return FALSE;
    memcpy(blob.get(), cds, COPYDATA_BLOB_HEADER);
    if (cds->cbData)
        memcpy(blob.get() + COPYDATA_BLOB_HEADER, cds->lpData, cds->cbData);
    coder.Encode(blob.get(), COPYDATA_BLOB_HEADER + cds->cbData);
    if (coder.EncodedLength() != Base64TextLength(COPYDATA_BLOB_HEADER + cds->cbData))
        return FALSE;
    return AnsiToWide(lParamText, coder.EncodedMessage(), ASYNC_REQUEST_ROOM) != nullptr;
}

// Sends the request on a new channel for the printer and waits by the plan.
// TRUE when the reply came (or the channel closed); its values are then in
// the callback.
BOOL SendOnChannel(LPCWSTR printerName, LPCWSTR request, CPrintOEMAsyncNotifyCallback* callback, PollPlan plan)
{
    BOOL done = FALSE;
    IPrintAsyncNotifyChannel* channel = nullptr;
    CPrintOEMAsyncNotifyDataObject* data = nullptr;
    HMODULE pinned = nullptr;
    PrintAsyncNotificationType type = AsyncUINotificationType;
    HMODULE spoolss = LoadLibraryW(L"SpoolSS.dll");
    auto create = spoolss ? reinterpret_cast<PFN_RouterCreatePrintAsyncNotificationChannel>(reinterpret_cast<void*>(
                                GetProcAddress(spoolss, "RouterCreatePrintAsyncNotificationChannel")))
                          : nullptr;
    HRESULT hr = create ? create(printerName, &type, kAllUsers, kBiDirectional, callback, &channel) : E_NOTIMPL;
    DebugTrace(L"SendMessageToCustomAsyncUI(2), spoolss = %p, hr = 0x%08X, channel = %p,\n", spoolss, hr, channel);
    if (FAILED(hr) || !channel)
        goto cleanup;
    // The platform now holds the callback, and soon the data object. It may
    // call them after this call has returned and its caller has freed this
    // library, so their code stays loaded for the rest of the process. Any
    // address inside the library names it.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&COPYDATA_PLAN), &pinned);

    data = new (std::nothrow) CPrintOEMAsyncNotifyDataObject(reinterpret_cast<const BYTE*>(request),
                                                            static_cast<ULONG>((wcslen(request) + 1) * sizeof(WCHAR)),
                                                            &type);
    // Without a request on the channel no reply can come: nothing to wait for.
    if (!data || FAILED(data->GetStatus()))
        goto cleanup;
    hr = channel->SendNotification(data);
    DebugTrace(L"SendMessageToCustomAsyncUI(3), SendNotification() = 0x%08X,\n", hr);
    if (FAILED(hr))
        goto cleanup;
    for (DWORD poll = 0; poll < plan.polls; ++poll) {
        Sleep(plan.intervalMs);
        DWORD flag = 0;
        callback->IsDone(&flag);
        if (flag) {
            done = TRUE;
            break;
        }
    }

cleanup:
    if (data)
        data->Release();
    if (channel)
        channel->Release();
    // The channel's code may live in the router's library: it goes last.
    if (spoolss)
        FreeLibrary(spoolss);
    return done;
}

} // namespace

extern "C" int WINAPI SendMessageToCustomAsyncUI(LPCWSTR printerName, LPCWSTR modelText, HWND target, UINT message,
                                                 WPARAM wParam, LPARAM lParam)
{
    (void)modelText;
    LONG result = 0;
    HWND* statusSlot = nullptr;
    BOOL sendable = FALSE;
    PollPlan plan = PlanFor(message, wParam);
    std::unique_ptr<WCHAR[]> request(new (std::nothrow) WCHAR[ASYNC_REQUEST_ROOM]());
    std::unique_ptr<WCHAR[]> lParamText(new (std::nothrow) WCHAR[ASYNC_REQUEST_ROOM]());
    Base64Coder coder;
    CPrintOEMAsyncNotifyCallback* callback = new (std::nothrow) CPrintOEMAsyncNotifyCallback();
    DebugTrace(L"SendMessageToCustomAsyncUI(1), printer = %ls, hwnd = %p, uMsg = 0x%X,\n", printerName, target,
               message);
    if (!request || !lParamText || !callback)
        goto cleanup;

    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!EncodeCopyData(cds, coder, lParamText.get()))
            goto cleanup;
        if (cds->dwData == CDS_STATE_INFO)
            statusSlot = reinterpret_cast<HWND*>(wParam);
        sendable = FormatAsyncMessageRequest(request.get(), ASYNC_REQUEST_ROOM, target, message, 0, 0,
                                             lParamText.get());
    } else {
        sendable = FormatAsyncMessageRequest(request.get(), ASYNC_REQUEST_ROOM, target, message, wParam, lParam,
                                             nullptr);
    }
    if (!sendable)
        goto cleanup;

    if (SendOnChannel(printerName, request.get(), callback, plan)) {
        callback->GetReturnValue(&result);
        if (statusSlot)
            callback->GetStatusDlgHwnd(statusSlot);
    } else if (statusSlot) {
        *statusSlot = nullptr;
    }

cleanup:
    DebugTrace(L"SendMessageToCustomAsyncUI(4), ReturnValue = %d,\n", result);
    if (callback)
        callback->Release();
    return result;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
