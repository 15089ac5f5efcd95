#include "PrintOEMAsyncNotifyDataObject.h"

#include "Platform.h"
#include "QueryOneInterface.h"

#include <cstring>

CPrintOEMAsyncNotifyDataObject::CPrintOEMAsyncNotifyDataObject()
    : m_hrStatus(E_FAIL), m_pPayload(nullptr), m_ulSize(0), m_pType(nullptr), m_lRefCount(1), m_lAcquired(0)
{
}

CPrintOEMAsyncNotifyDataObject::CPrintOEMAsyncNotifyDataObject(const BYTE* payload, ULONG size,
                                                               const PrintAsyncNotificationType* type)
    : CPrintOEMAsyncNotifyDataObject()
{
    if (payload && size) {
        m_pPayload = static_cast<BYTE*>(LocalAlloc(LPTR, size));
        if (!m_pPayload)
            return;
        memcpy(m_pPayload, payload, size);
    }
    if (type) {
        m_pType = static_cast<PrintAsyncNotificationType*>(LocalAlloc(LPTR, sizeof(PrintAsyncNotificationType)));
        if (!m_pType)
            return;
        *m_pType = *type;
    }
    m_ulSize = m_pPayload ? size : 0;
    m_hrStatus = S_OK;
}

CPrintOEMAsyncNotifyDataObject::~CPrintOEMAsyncNotifyDataObject()
{
    if (m_pPayload)
        LocalFree(m_pPayload);
    if (m_pType)
        LocalFree(m_pType);
}

HRESULT STDMETHODCALLTYPE CPrintOEMAsyncNotifyDataObject::QueryInterface(REFIID riid, void** ppv)
{
    return QueryOneInterface<IPrintAsyncNotifyDataObject>(this, riid, IID_IPrintAsyncNotifyDataObject, ppv);
}

ULONG STDMETHODCALLTYPE CPrintOEMAsyncNotifyDataObject::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_lRefCount));
}

ULONG STDMETHODCALLTYPE CPrintOEMAsyncNotifyDataObject::Release()
{
    LONG count = InterlockedDecrement(&m_lRefCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE CPrintOEMAsyncNotifyDataObject::AcquireData(BYTE** ppNotificationData, ULONG* pSize,
                                                                      PrintAsyncNotificationType** ppSchema)
{
    if (FAILED(m_hrStatus))
        return m_hrStatus;
    if (!ppNotificationData || !pSize || !ppSchema)
        return E_INVALIDARG;
    *ppNotificationData = m_pPayload;
    *pSize = m_ulSize;
    *ppSchema = m_pType;
    InterlockedIncrement(&m_lAcquired);
    AddRef();
    DebugTrace(L"CPrintOEMAsyncNotifyDataObject::AcquireData(1), size = %u,\n", m_ulSize);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CPrintOEMAsyncNotifyDataObject::ReleaseData()
{
    HRESULT status = m_hrStatus;
    // Only a reference that AcquireData took is given back: an unmatched call
    // must not end an object that others still hold.
    LONG acquired = m_lAcquired;
    while (acquired > 0) {
        LONG seen = InterlockedCompareExchange(&m_lAcquired, acquired - 1, acquired);
        if (seen == acquired) {
            Release();
            break;
        }
        acquired = seen;
    }
    return status;
}
