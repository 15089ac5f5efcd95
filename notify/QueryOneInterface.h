// QueryInterface of an object that offers one interface besides IUnknown.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <typename Interface>
HRESULT QueryOneInterface(Interface* self, REFIID riid, REFIID own, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, own) && !IsEqualIID(riid, IID_IUnknown))
        return E_NOINTERFACE;
    *ppv = self;
    self->AddRef();
    return S_OK;
}
