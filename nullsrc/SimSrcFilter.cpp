#include "SimSrcFilter.h"

#include <new>

#include "SimSrcOutputPin.h"

CSimSrcFilter::CSimSrcFilter(HRESULT* phr) : CBaseFilter(L"Null source", nullptr, &lock_, GUID_NULL, phr) {}

CSimSrcFilter::~CSimSrcFilter() = default;

HRESULT CSimSrcFilter::Create(CSimSrcFilter** ppFilter)
{
    CheckPointer(ppFilter, E_POINTER);
    HRESULT hr = S_OK;
    *ppFilter = new (std::nothrow) CSimSrcFilter(&hr);
    if (!*ppFilter)
        return E_OUTOFMEMORY;
    if (FAILED(hr)) {
        delete *ppFilter;
        *ppFilter = nullptr;
        return hr;
    }
    (*ppFilter)->AddRef();
    return S_OK;
}

HRESULT CSimSrcFilter::AddMediaType(const AM_MEDIA_TYPE& mt)
{
    CAutoLock lock(&lock_);
    HRESULT hr = S_OK;
    std::unique_ptr<CMediaType> copy(new (std::nothrow) CMediaType(mt, &hr));
    if (!copy)
        return E_OUTOFMEMORY;
    if (FAILED(hr))
        return hr;
    try {
        mediaTypes_.push_back(std::move(copy));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

CBasePin* CSimSrcFilter::GetPin(int n)
{
    if (n != 0)
        return nullptr;
    CAutoLock lock(&lock_);
    if (!outputPin_) {
        HRESULT hr = S_OK;
        std::unique_ptr<CSimSrcOutputPin> pin(new (std::nothrow) CSimSrcOutputPin(this, &lock_, &hr));
        if (pin && SUCCEEDED(hr))
            outputPin_ = std::move(pin);
    }
    return outputPin_.get();
}
