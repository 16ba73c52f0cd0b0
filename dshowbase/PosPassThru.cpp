#include "PosPassThru.h"

#include <oleauto.h>

#include <utility>

CMediaPosition::CMediaPosition(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT*) : CUnknown(pName, pUnk) {}

CMediaPosition::~CMediaPosition()
{
    if (m_pTypeInfo)
        m_pTypeInfo->Release();
}

STDMETHODIMP CMediaPosition::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMediaPosition || riid == IID_IDispatch)
        return GetInterface(static_cast<IMediaPosition*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CMediaPosition::LoadTypeInfo()
{
    if (m_pTypeInfo)
        return S_OK;
    ITypeLib* pTypeLib = nullptr;
    HRESULT hr = LoadRegTypeLib(LIBID_QuartzTypeLib, 1, 0, LOCALE_SYSTEM_DEFAULT, &pTypeLib);
    if (FAILED(hr))
        return hr;
    ITypeInfo* pTypeInfo = nullptr;
    hr = pTypeLib->GetTypeInfoOfGuid(IID_IMediaPosition, &pTypeInfo);
    pTypeLib->Release();
    if (FAILED(hr))
        return hr;
    if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(&m_pTypeInfo), pTypeInfo, nullptr) != nullptr)
        pTypeInfo->Release();  // another thread was first
    return S_OK;
}

STDMETHODIMP CMediaPosition::GetTypeInfoCount(UINT* pctinfo)
{
    CheckPointer(pctinfo, E_POINTER);
    *pctinfo = 1;
    return S_OK;
}

STDMETHODIMP CMediaPosition::GetTypeInfo(UINT itinfo, LCID, ITypeInfo** pptinfo)
{
    CheckPointer(pptinfo, E_POINTER);
    *pptinfo = nullptr;
    if (itinfo != 0)
        return TYPE_E_ELEMENTNOTFOUND;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr))
        return hr;
    *pptinfo = m_pTypeInfo;
    m_pTypeInfo->AddRef();
    return S_OK;
}

STDMETHODIMP CMediaPosition::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgdispid)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr))
        return hr;
    return DispGetIDsOfNames(m_pTypeInfo, rgszNames, cNames, rgdispid);
}

STDMETHODIMP CMediaPosition::Invoke(DISPID dispidMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pdispparams,
                                    VARIANT* pvarResult, EXCEPINFO* pexcepinfo, UINT* puArgErr)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr))
        return hr;
    return DispInvoke(static_cast<IMediaPosition*>(this), m_pTypeInfo, dispidMember, wFlags, pdispparams, pvarResult,
                      pexcepinfo, puArgErr);
}

CPosPassThru::CPosPassThru(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr, IPin* pPin)
    : CMediaPosition(pName, pUnk, phr),
      m_pPin(pPin)
{
    if (!pPin && phr && SUCCEEDED(*phr))
        *phr = E_POINTER;
}

STDMETHODIMP CPosPassThru::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMediaSeeking)
        return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    return CMediaPosition::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CPosPassThru::SetPin(IPin* pPin)
{
    m_pPin = pPin;
    return S_OK;
}

namespace {

template <class Interface>
HRESULT UpstreamInterface(IPin* pPin, REFIID iid, Interface** pp)
{
    *pp = nullptr;
    if (!pPin)
        return E_NOTIMPL;
    IPin* pConnected = nullptr;
    if (FAILED(pPin->ConnectedTo(&pConnected)) || !pConnected)
        return E_NOTIMPL;
    const HRESULT hr = pConnected->QueryInterface(iid, reinterpret_cast<void**>(pp));
    pConnected->Release();
    return FAILED(hr) ? E_NOTIMPL : S_OK;
}

// Calls a method of an upstream interface and releases it.
template <class Interface, class Call>
HRESULT Forward(HRESULT hrPeer, Interface* pPeer, Call&& call)
{
    if (FAILED(hrPeer))
        return hrPeer;
    const HRESULT hr = std::forward<Call>(call)(pPeer);
    pPeer->Release();
    return hr;
}

}  // namespace

HRESULT CPosPassThru::GetPeer(IMediaPosition** ppMP)
{
    return UpstreamInterface(m_pPin, IID_IMediaPosition, ppMP);
}

HRESULT CPosPassThru::GetPeerSeeking(IMediaSeeking** ppMS)
{
    return UpstreamInterface(m_pPin, IID_IMediaSeeking, ppMS);
}

HRESULT CPosPassThru::GetMediaTime(LONGLONG*, LONGLONG*)
{
    return E_FAIL;
}

#define PASS_SEEKING(call)                                                                                             \
    IMediaSeeking* pPeer = nullptr;                                                                                    \
    const HRESULT hrPeer = GetPeerSeeking(&pPeer);                                                                     \
    return Forward(hrPeer, pPeer, [&](IMediaSeeking* p) { return p->call; })

#define PASS_POSITION(call)                                                                                            \
    IMediaPosition* pPeer = nullptr;                                                                                   \
    const HRESULT hrPeer = GetPeer(&pPeer);                                                                            \
    return Forward(hrPeer, pPeer, [&](IMediaPosition* p) { return p->call; })

STDMETHODIMP CPosPassThru::GetCapabilities(DWORD* pCapabilities)
{
    CheckPointer(pCapabilities, E_POINTER);
    PASS_SEEKING(GetCapabilities(pCapabilities));
}

STDMETHODIMP CPosPassThru::CheckCapabilities(DWORD* pCapabilities)
{
    CheckPointer(pCapabilities, E_POINTER);
    PASS_SEEKING(CheckCapabilities(pCapabilities));
}

STDMETHODIMP CPosPassThru::IsFormatSupported(const GUID* pFormat)
{
    CheckPointer(pFormat, E_POINTER);
    PASS_SEEKING(IsFormatSupported(pFormat));
}

STDMETHODIMP CPosPassThru::QueryPreferredFormat(GUID* pFormat)
{
    CheckPointer(pFormat, E_POINTER);
    PASS_SEEKING(QueryPreferredFormat(pFormat));
}

STDMETHODIMP CPosPassThru::GetTimeFormat(GUID* pFormat)
{
    CheckPointer(pFormat, E_POINTER);
    PASS_SEEKING(GetTimeFormat(pFormat));
}

STDMETHODIMP CPosPassThru::IsUsingTimeFormat(const GUID* pFormat)
{
    CheckPointer(pFormat, E_POINTER);
    PASS_SEEKING(IsUsingTimeFormat(pFormat));
}

STDMETHODIMP CPosPassThru::SetTimeFormat(const GUID* pFormat)
{
    CheckPointer(pFormat, E_POINTER);
    PASS_SEEKING(SetTimeFormat(pFormat));
}

STDMETHODIMP CPosPassThru::GetDuration(LONGLONG* pDuration)
{
    CheckPointer(pDuration, E_POINTER);
    PASS_SEEKING(GetDuration(pDuration));
}

STDMETHODIMP CPosPassThru::GetStopPosition(LONGLONG* pStop)
{
    CheckPointer(pStop, E_POINTER);
    PASS_SEEKING(GetStopPosition(pStop));
}

STDMETHODIMP CPosPassThru::GetCurrentPosition(LONGLONG* pCurrent)
{
    CheckPointer(pCurrent, E_POINTER);
    LONGLONG stop = 0;
    if (SUCCEEDED(GetMediaTime(pCurrent, &stop)))
        return S_OK;
    PASS_SEEKING(GetCurrentPosition(pCurrent));
}

STDMETHODIMP CPosPassThru::ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                             const GUID* pSourceFormat)
{
    CheckPointer(pTarget, E_POINTER);
    PASS_SEEKING(ConvertTimeFormat(pTarget, pTargetFormat, Source, pSourceFormat));
}

STDMETHODIMP CPosPassThru::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags)
{
    PASS_SEEKING(SetPositions(pCurrent, dwCurrentFlags, pStop, dwStopFlags));
}

STDMETHODIMP CPosPassThru::GetPositions(LONGLONG* pCurrent, LONGLONG* pStop)
{
    PASS_SEEKING(GetPositions(pCurrent, pStop));
}

STDMETHODIMP CPosPassThru::GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest)
{
    PASS_SEEKING(GetAvailable(pEarliest, pLatest));
}

STDMETHODIMP CPosPassThru::SetRate(double dRate)
{
    if (dRate == 0.0)
        return E_INVALIDARG;
    PASS_SEEKING(SetRate(dRate));
}

STDMETHODIMP CPosPassThru::GetRate(double* pdRate)
{
    CheckPointer(pdRate, E_POINTER);
    PASS_SEEKING(GetRate(pdRate));
}

STDMETHODIMP CPosPassThru::GetPreroll(LONGLONG* pllPreroll)
{
    CheckPointer(pllPreroll, E_POINTER);
    PASS_SEEKING(GetPreroll(pllPreroll));
}

STDMETHODIMP CPosPassThru::get_Duration(REFTIME* plength)
{
    CheckPointer(plength, E_POINTER);
    PASS_POSITION(get_Duration(plength));
}

STDMETHODIMP CPosPassThru::put_CurrentPosition(REFTIME llTime)
{
    PASS_POSITION(put_CurrentPosition(llTime));
}

STDMETHODIMP CPosPassThru::get_CurrentPosition(REFTIME* pllTime)
{
    CheckPointer(pllTime, E_POINTER);
    LONGLONG start = 0, stop = 0;
    if (SUCCEEDED(GetMediaTime(&start, &stop))) {
        *pllTime = static_cast<REFTIME>(start) / 10000000.0;
        return S_OK;
    }
    PASS_POSITION(get_CurrentPosition(pllTime));
}

STDMETHODIMP CPosPassThru::get_StopTime(REFTIME* pllTime)
{
    CheckPointer(pllTime, E_POINTER);
    PASS_POSITION(get_StopTime(pllTime));
}

STDMETHODIMP CPosPassThru::put_StopTime(REFTIME llTime)
{
    PASS_POSITION(put_StopTime(llTime));
}

STDMETHODIMP CPosPassThru::get_PrerollTime(REFTIME* pllTime)
{
    CheckPointer(pllTime, E_POINTER);
    PASS_POSITION(get_PrerollTime(pllTime));
}

STDMETHODIMP CPosPassThru::put_PrerollTime(REFTIME llTime)
{
    PASS_POSITION(put_PrerollTime(llTime));
}

STDMETHODIMP CPosPassThru::put_Rate(double dRate)
{
    if (dRate == 0.0)
        return E_INVALIDARG;
    PASS_POSITION(put_Rate(dRate));
}

STDMETHODIMP CPosPassThru::get_Rate(double* pdRate)
{
    CheckPointer(pdRate, E_POINTER);
    PASS_POSITION(get_Rate(pdRate));
}

STDMETHODIMP CPosPassThru::CanSeekForward(LONG* pCanSeekForward)
{
    CheckPointer(pCanSeekForward, E_POINTER);
    PASS_POSITION(CanSeekForward(pCanSeekForward));
}

STDMETHODIMP CPosPassThru::CanSeekBackward(LONG* pCanSeekBackward)
{
    CheckPointer(pCanSeekBackward, E_POINTER);
    PASS_POSITION(CanSeekBackward(pCanSeekBackward));
}
