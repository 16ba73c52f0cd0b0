#include "Enumerators.h"

#include <new>

#include <vfwmsgs.h>

#include "BaseFilter.h"
#include "BasePin.h"
#include "MediaType.h"

CEnumPins::CEnumPins(CBaseFilter* pFilter, const CEnumPins* pEnumPins)
    : CUnknown(L"CEnumPins", nullptr),
      m_PinCount(pFilter->GetPinCount()),
      m_pFilter(pFilter),
      m_Version(pFilter->GetPinVersion())
{
    if (pEnumPins) {
        m_Position = pEnumPins->m_Position;
        m_PinCount = pEnumPins->m_PinCount;
        m_Version = pEnumPins->m_Version;
    }
    m_pFilter->AddRef();
}

CEnumPins::~CEnumPins()
{
    m_pFilter->Release();
}

STDMETHODIMP CEnumPins::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IEnumPins)
        return GetInterface(static_cast<IEnumPins*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

bool CEnumPins::OutOfSync() const
{
    return m_pFilter->GetPinVersion() != m_Version;
}

STDMETHODIMP CEnumPins::Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched)
{
    CheckPointer(ppPins, E_POINTER);
    if (pcFetched)
        *pcFetched = 0;
    else if (cPins > 1)
        return E_INVALIDARG;
    if (OutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;

    ULONG fetched = 0;
    while (fetched < cPins && m_Position < m_PinCount) {
        CBasePin* pPin = m_pFilter->GetPin(m_Position++);
        if (!pPin)
            continue;  // a gap in the filter's pins
        ppPins[fetched] = pPin;
        pPin->AddRef();
        ++fetched;
    }
    if (pcFetched)
        *pcFetched = fetched;
    return fetched == cPins ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumPins::Skip(ULONG cPins)
{
    if (OutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;
    const ULONG left = static_cast<ULONG>(m_PinCount - m_Position);
    if (cPins > left)
        return S_FALSE;
    m_Position += static_cast<int>(cPins);
    return S_OK;
}

STDMETHODIMP CEnumPins::Reset()
{
    m_Version = m_pFilter->GetPinVersion();
    m_PinCount = m_pFilter->GetPinCount();
    m_Position = 0;
    return S_OK;
}

STDMETHODIMP CEnumPins::Clone(IEnumPins** ppEnum)
{
    CheckPointer(ppEnum, E_POINTER);
    *ppEnum = nullptr;
    if (OutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;
    auto* pClone = new (std::nothrow) CEnumPins(m_pFilter, this);
    if (!pClone)
        return E_OUTOFMEMORY;
    *ppEnum = pClone;
    pClone->AddRef();
    return S_OK;
}

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pPin, const CEnumMediaTypes* pEnumMediaTypes)
    : CUnknown(L"CEnumMediaTypes", nullptr),
      m_pPin(pPin),
      m_Version(pPin->GetMediaTypeVersion())
{
    if (pEnumMediaTypes) {
        m_Position = pEnumMediaTypes->m_Position;
        m_Version = pEnumMediaTypes->m_Version;
    }
    m_pPin->AddRef();
}

CEnumMediaTypes::~CEnumMediaTypes()
{
    m_pPin->Release();
}

STDMETHODIMP CEnumMediaTypes::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IEnumMediaTypes)
        return GetInterface(static_cast<IEnumMediaTypes*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

bool CEnumMediaTypes::OutOfSync() const
{
    return m_pPin->GetMediaTypeVersion() != m_Version;
}

STDMETHODIMP CEnumMediaTypes::Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched)
{
    CheckPointer(ppMediaTypes, E_POINTER);
    if (pcFetched)
        *pcFetched = 0;
    else if (cMediaTypes > 1)
        return E_INVALIDARG;
    if (OutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;

    ULONG fetched = 0;
    while (fetched < cMediaTypes) {
        CMediaType mt;
        if (m_pPin->GetMediaType(static_cast<int>(m_Position), &mt) != S_OK)
            break;
        AM_MEDIA_TYPE* pCopy = CreateMediaType(&mt);
        if (!pCopy) {
            for (ULONG i = 0; i < fetched; ++i) {
                DeleteMediaType(ppMediaTypes[i]);
                ppMediaTypes[i] = nullptr;
            }
            return E_OUTOFMEMORY;
        }
        ppMediaTypes[fetched++] = pCopy;
        ++m_Position;
    }
    if (pcFetched)
        *pcFetched = fetched;
    return fetched == cMediaTypes ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Skip(ULONG cMediaTypes)
{
    if (OutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;
    if (cMediaTypes == 0)
        return S_OK;
    // Past the end means the last skipped position has no type.
    CMediaType mt;
    if (m_pPin->GetMediaType(static_cast<int>(m_Position + cMediaTypes - 1), &mt) != S_OK)
        return S_FALSE;
    m_Position += cMediaTypes;
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Reset()
{
    m_Position = 0;
    m_Version = m_pPin->GetMediaTypeVersion();
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Clone(IEnumMediaTypes** ppEnum)
{
    CheckPointer(ppEnum, E_POINTER);
    *ppEnum = nullptr;
    if (OutOfSync())
        return VFW_E_ENUM_OUT_OF_SYNC;
    auto* pClone = new (std::nothrow) CEnumMediaTypes(m_pPin, this);
    if (!pClone)
        return E_OUTOFMEMORY;
    *ppEnum = pClone;
    pClone->AddRef();
    return S_OK;
}
