#include "SimSrcFilter.h"

#include <new>

#include "SimSrcOutputPin.h"

CSimSrcFilter::CSimSrcFilter(HRESULT* phr) : CBaseFilter(L"Null source", nullptr, &m_lock, GUID_NULL, phr) {}

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
    CAutoLock lock(&m_lock);
    HRESULT hr = S_OK;
    std::unique_ptr<CMediaType> copy(new (std::nothrow) CMediaType(mt, &hr));
    if (!copy)
        return E_OUTOFMEMORY;
    if (FAILED(hr))
        return hr;
    try {
        m_mediaTypes.push_back(std::move(copy));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

CBasePin* CSimSrcFilter::GetPin(int n)
{
    if (n != 0)
        return nullptr;
    CAutoLock lock(&m_lock);
    if (!m_outputPin) {
        HRESULT hr = S_OK;
        std::unique_ptr<CSimSrcOutputPin> pin(new (std::nothrow) CSimSrcOutputPin(this, &m_lock, &hr));
        if (pin && SUCCEEDED(hr))
            m_outputPin = std::move(pin);
    }
    return m_outputPin.get();
}
