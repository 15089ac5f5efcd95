#include "PrintOEMAsyncNotifyCallback.h"

#include "AsyncMessage.h"
#include "Platform.h"
#include "QueryOneInterface.h"

#include <cwchar>

CPrintOEMAsyncNotifyCallback::CPrintOEMAsyncNotifyCallback()
    : m_lRefCount(1), m_dwDone(0), m_lReturnValue(0), m_hStatusDialog(nullptr)
{
}

HRESULT STDMETHODCALLTYPE CPrintOEMAsyncNotifyCallback::QueryInterface(REFIID riid, void** ppv)
{
    return QueryOneInterface<IPrintAsyncNotifyCallback>(this, riid, IID_IPrintAsyncNotifyCallback, ppv);
}

ULONG STDMETHODCALLTYPE CPrintOEMAsyncNotifyCallback::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_lRefCount));
}

ULONG STDMETHODCALLTYPE CPrintOEMAsyncNotifyCallback::Release()
{
    LONG count = InterlockedDecrement(&m_lRefCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE CPrintOEMAsyncNotifyCallback::OnEventNotify(IPrintAsyncNotifyChannel*,
                                                                     IPrintAsyncNotifyDataObject* pData)
{
    if (!pData)
        return E_FAIL;
    BYTE* data = nullptr;
    ULONG size = 0;
    PrintAsyncNotificationType* type = nullptr;
    HRESULT hr = pData->AcquireData(&data, &size, &type);
    DebugTrace(L"CPrintOEMAsyncNotifyCallback::OnEventNotify(1), hr = 0x%08X, size = %u,\n", hr, size);
    if (FAILED(hr))
        return hr;
    // An event carries no reply that this side reads: the value stays 0.
    pData->ReleaseData();
    SetDone();
    return hr;
}

HRESULT STDMETHODCALLTYPE CPrintOEMAsyncNotifyCallback::ChannelClosed(IPrintAsyncNotifyChannel*,
                                                                     IPrintAsyncNotifyDataObject* pData)
{
    // A channel that closes, with or without a reply, ends the sender's wait.
    if (!pData) {
        SetDone();
        return S_OK;
    }
    BYTE* data = nullptr;
    ULONG size = 0;
    PrintAsyncNotificationType* type = nullptr;
    HRESULT hr = pData->AcquireData(&data, &size, &type);
    DebugTrace(L"CPrintOEMAsyncNotifyCallback::ChannelClosed(1), hr = 0x%08X, size = %u,\n", hr, size);
    if (FAILED(hr)) {
        SetDone();
        return hr;
    }
    WCHAR reply[ASYNC_REPLY_READ_ROOM + 1];
    size_t units = data ? size / sizeof(WCHAR) : 0;
    if (units > ASYNC_REPLY_READ_ROOM)
        units = ASYNC_REPLY_READ_ROOM;
    if (units)
        memcpy(reply, data, units * sizeof(WCHAR));
    reply[units] = L'\0';
    m_lReturnValue.store(ReadTagNumber(reply, L"<ReturnValue>"), std::memory_order_relaxed);
    BOOL hasWindow = FALSE;
    LONG window = ReadTagNumber(reply, L"<StatusDialogHwnd>", &hasWindow);
    if (hasWindow)
        m_hStatusDialog.store(reinterpret_cast<HWND>(FromWireNumber(window)), std::memory_order_relaxed);
    DebugTrace(L"CPrintOEMAsyncNotifyCallback::ChannelClosed(2), ReturnValue = %d, StatusDialogHwnd = %d,\n",
               m_lReturnValue.load(), window);
    pData->ReleaseData();
    SetDone();
    return hr;
}

DWORD CPrintOEMAsyncNotifyCallback::GetReturnValue(LONG* value)
{
    if (value)
        *value = m_lReturnValue.load(std::memory_order_relaxed);
    return 0;
}

DWORD CPrintOEMAsyncNotifyCallback::GetStatusDlgHwnd(HWND* window)
{
    if (window)
        *window = m_hStatusDialog.load(std::memory_order_relaxed);
    return 0;
}

DWORD CPrintOEMAsyncNotifyCallback::IsDone(DWORD* done)
{
    if (done)
        *done = m_dwDone.load(std::memory_order_acquire);
    return 0;
}

void CPrintOEMAsyncNotifyCallback::Reset()
{
    m_lReturnValue.store(0, std::memory_order_relaxed);
    m_dwDone.store(0, std::memory_order_release);
}

void CPrintOEMAsyncNotifyCallback::SetDone()
{
    m_dwDone.store(1, std::memory_order_release);
}
