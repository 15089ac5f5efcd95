// CPrintOEMAsyncNotifyCallback: the sender's end of a bidirectional
// notification channel. The spooler calls it on its own threads with the
// reply of QelAsyncClient (ChannelClosed) or with an event (OnEventNotify);
// the sending thread polls IsDone. The values are written before the done
// flag, which is stored with release order and read with acquire order.
#pragma once

#include "AsyncNotify.h"

#include <atomic>

class CPrintOEMAsyncNotifyCallback final : public IPrintAsyncNotifyCallback {
public:
    CPrintOEMAsyncNotifyCallback();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE OnEventNotify(IPrintAsyncNotifyChannel* pChannel,
                                            IPrintAsyncNotifyDataObject* pData) override;
    HRESULT STDMETHODCALLTYPE ChannelClosed(IPrintAsyncNotifyChannel* pChannel,
                                            IPrintAsyncNotifyDataObject* pData) override;

    DWORD GetReturnValue(LONG* value);
    DWORD GetStatusDlgHwnd(HWND* window);
    DWORD IsDone(DWORD* done);
    void Reset();

private:
    // Only Release ends the object.
    ~CPrintOEMAsyncNotifyCallback() = default;
    void SetDone();

    LONG m_lRefCount;
    std::atomic<DWORD> m_dwDone;
    std::atomic<LONG> m_lReturnValue;
    std::atomic<HWND> m_hStatusDialog;
};
