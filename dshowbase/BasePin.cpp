#include "BasePin.h"

#include <cstring>
#include <cwchar>
#include <new>

#include <vfwmsgs.h>

#include "Enumerators.h"

CBasePin::CBasePin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName,
                   PIN_DIRECTION dir)
    : CUnknown(pObjectName, nullptr),
      m_dir(dir),
      m_pLock(pLock),
      m_pFilter(pFilter)
{
    if (pName) {
        const size_t length = std::wcslen(pName) + 1;
        m_pName = new (std::nothrow) WCHAR[length];
        if (m_pName)
            std::wmemcpy(m_pName, pName, length);
        else if (phr)
            *phr = E_OUTOFMEMORY;
    }
}

CBasePin::~CBasePin()
{
    delete[] m_pName;
}

STDMETHODIMP CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IPin)
        return GetInterface(static_cast<IPin*>(this), ppv);
    if (riid == IID_IQualityControl)
        return GetInterface(static_cast<IQualityControl*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingAddRef()
{
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingRelease()
{
    return m_pFilter->Release();
}

namespace {

// A type is usable for a direct attempt only when its major type and format are given.
bool IsFullySpecified(const AM_MEDIA_TYPE* pmt)
{
    return pmt && pmt->majortype != GUID_NULL && pmt->formattype != GUID_NULL;
}

bool IsRefusal(HRESULT hr)
{
    return hr == E_FAIL || hr == E_INVALIDARG || hr == VFW_E_TYPE_NOT_ACCEPTED;
}

}  // namespace

STDMETHODIMP CBasePin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt)
{
    CheckPointer(pReceivePin, E_POINTER);
    CAutoLock lock(m_pLock);
    if (m_Connected)
        return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped() && !m_bCanReconnectWhenActive)
        return VFW_E_NOT_STOPPED;
    CMediaType partial;
    if (pmt) {
        const HRESULT hr = partial.Set(*pmt);
        if (FAILED(hr))
            return hr;
    }
    const HRESULT hr = AgreeMediaType(pReceivePin, pmt ? &partial : nullptr);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    return S_OK;
}

HRESULT CBasePin::AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt)
{
    if (IsFullySpecified(pmt))
        return AttemptConnection(pReceivePin, pmt);

    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int pass = 0; pass < 2; ++pass) {
        // The receiving pin's types first, unless we prefer ours.
        const bool ours = (pass == 0) == m_bTryMyTypesFirst;
        IEnumMediaTypes* pEnum = nullptr;
        const HRESULT hrEnum = ours ? EnumMediaTypes(&pEnum) : pReceivePin->EnumMediaTypes(&pEnum);
        if (FAILED(hrEnum) || !pEnum)
            continue;
        const HRESULT hr = TryMediaTypes(pReceivePin, pmt, pEnum);
        pEnum->Release();
        if (SUCCEEDED(hr))
            return S_OK;
        // Keep the most telling failure: anything but a plain refusal of a type.
        if (hr != VFW_E_NO_ACCEPTABLE_TYPES && !IsRefusal(hr))
            hrFailure = hr;
    }
    return hrFailure;
}

HRESULT CBasePin::TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum)
{
    if (FAILED(pEnum->Reset()))
        return VFW_E_ENUM_OUT_OF_SYNC;
    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (;;) {
        AM_MEDIA_TYPE* pMediaType = nullptr;
        ULONG fetched = 0;
        if (pEnum->Next(1, &pMediaType, &fetched) != S_OK || fetched != 1)
            return hrFailure;
        HRESULT hr = S_OK;
        const CMediaType candidate(*pMediaType, &hr);
        DeleteMediaType(pMediaType);
        if (FAILED(hr))
            return hr;
        if (pmt && !candidate.MatchesPartial(pmt))
            continue;
        hr = AttemptConnection(pReceivePin, &candidate);
        if (SUCCEEDED(hr))
            return hr;
        if (!IsRefusal(hr) && hrFailure == VFW_E_NO_ACCEPTABLE_TYPES)
            hrFailure = hr;
    }
}

HRESULT CBasePin::AttemptConnection(IPin* pReceivePin, const CMediaType* pmt)
{
    HRESULT hr = CheckConnect(pReceivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    hr = CheckMediaType(pmt);
    if (hr == S_OK) {
        m_Connected = pReceivePin;
        m_Connected->AddRef();
        hr = SetMediaType(pmt);
        if (SUCCEEDED(hr)) {
            hr = pReceivePin->ReceiveConnection(static_cast<IPin*>(this), pmt);
            if (SUCCEEDED(hr)) {
                hr = CompleteConnect(pReceivePin);
                if (SUCCEEDED(hr))
                    return hr;
                pReceivePin->Disconnect();
            }
        }
    } else if (SUCCEEDED(hr) || hr == E_FAIL || hr == E_INVALIDARG) {
        hr = VFW_E_TYPE_NOT_ACCEPTED;
    }
    if (m_Connected) {
        m_Connected->Release();
        m_Connected = nullptr;
    }
    BreakConnect();
    return hr;
}

STDMETHODIMP CBasePin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt)
{
    CheckPointer(pConnector, E_POINTER);
    CheckPointer(pmt, E_POINTER);
    CAutoLock lock(m_pLock);
    if (m_Connected)
        return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped() && !m_bCanReconnectWhenActive)
        return VFW_E_NOT_STOPPED;
    HRESULT hr = CheckConnect(pConnector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    const CMediaType proposed(*pmt, &hr);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    hr = CheckMediaType(&proposed);
    if (hr != S_OK) {
        BreakConnect();
        return (SUCCEEDED(hr) || hr == E_FAIL || hr == E_INVALIDARG) ? VFW_E_TYPE_NOT_ACCEPTED : hr;
    }
    m_Connected = pConnector;
    m_Connected->AddRef();
    hr = SetMediaType(&proposed);
    if (SUCCEEDED(hr)) {
        hr = CompleteConnect(pConnector);
        if (SUCCEEDED(hr))
            return S_OK;
    }
    m_Connected->Release();
    m_Connected = nullptr;
    BreakConnect();
    return hr;
}

STDMETHODIMP CBasePin::Disconnect()
{
    CAutoLock lock(m_pLock);
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    return DisconnectInternal();
}

HRESULT CBasePin::DisconnectInternal()
{
    if (!m_Connected)
        return S_FALSE;
    const HRESULT hr = BreakConnect();
    if (FAILED(hr))
        return hr;
    m_Connected->Release();
    m_Connected = nullptr;
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectedTo(IPin** pPin)
{
    CheckPointer(pPin, E_POINTER);
    CAutoLock lock(m_pLock);
    *pPin = m_Connected;
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    m_Connected->AddRef();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    CheckPointer(pmt, E_POINTER);
    CAutoLock lock(m_pLock);
    if (!m_Connected) {
        ZeroMemory(pmt, sizeof *pmt);
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

STDMETHODIMP CBasePin::QueryPinInfo(PIN_INFO* pInfo)
{
    CheckPointer(pInfo, E_POINTER);
    pInfo->pFilter = m_pFilter;
    if (m_pFilter)
        m_pFilter->AddRef();
    if (m_pName) {
        std::wcsncpy(pInfo->achName, m_pName, MAX_PIN_NAME - 1);
        pInfo->achName[MAX_PIN_NAME - 1] = L'\0';
    } else {
        pInfo->achName[0] = L'\0';
    }
    pInfo->dir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryDirection(PIN_DIRECTION* pPinDir)
{
    CheckPointer(pPinDir, E_POINTER);
    *pPinDir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryId(LPWSTR* Id)
{
    CheckPointer(Id, E_POINTER);
    const WCHAR* name = m_pName ? m_pName : L"";
    const size_t bytes = (std::wcslen(name) + 1) * sizeof(WCHAR);
    *Id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*Id)
        return E_OUTOFMEMORY;
    std::memcpy(*Id, name, bytes);
    return S_OK;
}

STDMETHODIMP CBasePin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    CheckPointer(pmt, E_POINTER);
    HRESULT hr = S_OK;
    const CMediaType proposed(*pmt, &hr);
    if (FAILED(hr))
        return hr;
    hr = CheckMediaType(&proposed);
    return FAILED(hr) ? S_FALSE : hr;
}

STDMETHODIMP CBasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    CheckPointer(ppEnum, E_POINTER);
    *ppEnum = new (std::nothrow) CEnumMediaTypes(this, nullptr);
    if (!*ppEnum)
        return E_OUTOFMEMORY;
    (*ppEnum)->AddRef();
    return S_OK;
}

STDMETHODIMP CBasePin::QueryInternalConnections(IPin**, ULONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CBasePin::EndOfStream()
{
    return S_OK;
}

STDMETHODIMP CBasePin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    m_tStart = tStart;
    m_tStop = tStop;
    m_dRate = dRate;
    return S_OK;
}

STDMETHODIMP CBasePin::Notify(IBaseFilter*, Quality)
{
    return E_NOTIMPL;
}

STDMETHODIMP CBasePin::SetSink(IQualityControl* piqc)
{
    CAutoLock lock(m_pLock);
    m_pQSink = piqc;  // not counted: the sink outlives the pin by contract
    return S_OK;
}

HRESULT CBasePin::CheckConnect(IPin* pPin)
{
    PIN_DIRECTION dir;
    const HRESULT hr = pPin->QueryDirection(&dir);
    if (FAILED(hr))
        return hr;
    return dir == m_dir ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::SetMediaType(const CMediaType* pmt)
{
    return m_mt.Set(*pmt);
}

HRESULT CBasePin::CompleteConnect(IPin*)
{
    return S_OK;
}

HRESULT CBasePin::BreakConnect()
{
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int iPosition, CMediaType*)
{
    return iPosition < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS;
}

LONG CBasePin::GetMediaTypeVersion()
{
    return m_TypeVersion;
}

void CBasePin::IncrementTypeVersion()
{
    InterlockedIncrement(&m_TypeVersion);
}

HRESULT CBasePin::Active()
{
    return S_OK;
}

HRESULT CBasePin::Inactive()
{
    m_bRunTimeError = false;
    return S_OK;
}

HRESULT CBasePin::Run(REFERENCE_TIME)
{
    return S_OK;
}
