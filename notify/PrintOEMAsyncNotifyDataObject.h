// CPrintOEMAsyncNotifyDataObject: the request as the channel carries it, a
// payload and its notification type, both the object's own copies, freed
// with the last reference. AcquireData takes a reference that ReleaseData
// gives back, so the data outlives a Release between the two.
#pragma once

#include "AsyncNotify.h"

class CPrintOEMAsyncNotifyDataObject final : public IPrintAsyncNotifyDataObject {
public:
    // Holds nothing: AcquireData reports E_FAIL.
    CPrintOEMAsyncNotifyDataObject();
    // Copies the payload when both size and pointer are given and the type
    // when its pointer is; the status stays E_FAIL when a copy cannot be had.
    CPrintOEMAsyncNotifyDataObject(const BYTE* payload, ULONG size, const PrintAsyncNotificationType* type);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE AcquireData(BYTE** ppNotificationData, ULONG* pSize,
                                          PrintAsyncNotificationType** ppSchema) override;
    HRESULT STDMETHODCALLTYPE ReleaseData() override;

    HRESULT GetStatus() const { return m_hrStatus; }

private:
    // Only Release ends the object.
    ~CPrintOEMAsyncNotifyDataObject();

    HRESULT m_hrStatus;
    BYTE* m_pPayload;
    ULONG m_ulSize;
    PrintAsyncNotificationType* m_pType;
    LONG m_lRefCount;
    // References taken by AcquireData and not yet given back.
    LONG m_lAcquired;
};
