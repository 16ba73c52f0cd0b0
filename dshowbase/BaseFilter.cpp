#include "BaseFilter.h"

#include <cwchar>
#include <new>

#include <evcode.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include "BasePin.h"
#include "Enumerators.h"
#include "TaskMemory.h"

namespace {

WCHAR* CopyName(LPCWSTR name)
{
    const size_t length = std::wcslen(name) + 1;
    auto* copy = new (std::nothrow) WCHAR[length];
    if (copy)
        std::wmemcpy(copy, name, length);
    return copy;
}

}  // namespace

CBaseFilter::CBaseFilter(LPCTSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT*)
    : CUnknown(pName, pUnk),
      m_clsid(clsid),
      m_pLock(pLock)
{
}

CBaseFilter::~CBaseFilter()
{
    delete[] m_pName;
    if (m_pClock)
        m_pClock->Release();
}

STDMETHODIMP CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IBaseFilter)
        return GetInterface(static_cast<IBaseFilter*>(this), ppv);
    if (riid == IID_IMediaFilter)
        return GetInterface(static_cast<IMediaFilter*>(this), ppv);
    if (riid == IID_IPersist)
        return GetInterface(static_cast<IPersist*>(this), ppv);
    if (riid == IID_IAMovieSetup)
        return GetInterface(static_cast<IAMovieSetup*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseFilter::GetClassID(CLSID* pClsID)
{
    CheckPointer(pClsID, E_POINTER);
    *pClsID = m_clsid;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetState(DWORD, FILTER_STATE* State)
{
    CheckPointer(State, E_POINTER);
    *State = m_State;
    return S_OK;
}

STDMETHODIMP CBaseFilter::SetSyncSource(IReferenceClock* pClock)
{
    CAutoLock lock(m_pLock);
    if (pClock)
        pClock->AddRef();
    if (m_pClock)
        m_pClock->Release();
    m_pClock = pClock;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetSyncSource(IReferenceClock** pClock)
{
    CheckPointer(pClock, E_POINTER);
    CAutoLock lock(m_pLock);
    *pClock = m_pClock;
    if (m_pClock)
        m_pClock->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::Stop()
{
    CAutoLock lock(m_pLock);
    const HRESULT hr = m_State != State_Stopped ? DeactivatePins(GetPinCount()) : S_OK;
    m_State = State_Stopped;
    return hr;
}

HRESULT CBaseFilter::DeactivatePins(int count)
{
    HRESULT hr = S_OK;
    for (int i = 0; i < count; ++i) {
        CBasePin* pPin = GetPin(i);
        if (pPin && pPin->IsConnected()) {
            const HRESULT hrPin = pPin->Inactive();
            if (FAILED(hrPin) && SUCCEEDED(hr))
                hr = hrPin;
        }
    }
    return hr;
}

STDMETHODIMP CBaseFilter::Pause()
{
    CAutoLock lock(m_pLock);
    if (m_State == State_Stopped) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin && pPin->IsConnected()) {
                const HRESULT hr = pPin->Active();
                if (FAILED(hr)) {
                    // We stay stopped, so Stop would not reach these pins: undo here.
                    DeactivatePins(i + 1);
                    return hr;
                }
            }
        }
    }
    m_State = State_Paused;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Run(REFERENCE_TIME tStart)
{
    CAutoLock lock(m_pLock);
    m_tStart = tStart;
    if (m_State == State_Stopped) {
        const HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    if (m_State != State_Running) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin && pPin->IsConnected()) {
                const HRESULT hr = pPin->Run(tStart);
                if (FAILED(hr))
                    return hr;
            }
        }
    }
    m_State = State_Running;
    return S_OK;
}

HRESULT CBaseFilter::StreamTime(CRefTime& rtStream)
{
    if (!m_pClock)
        return VFW_E_NO_CLOCK;
    REFERENCE_TIME now = 0;
    const HRESULT hr = m_pClock->GetTime(&now);
    if (FAILED(hr))
        return hr;
    rtStream = now - m_tStart.m_time;
    return S_OK;
}

BOOL CBaseFilter::IsActive()
{
    CAutoLock lock(m_pLock);
    return m_State == State_Paused || m_State == State_Running;
}

BOOL CBaseFilter::IsStopped()
{
    return m_State == State_Stopped;
}

STDMETHODIMP CBaseFilter::EnumPins(IEnumPins** ppEnum)
{
    CheckPointer(ppEnum, E_POINTER);
    *ppEnum = new (std::nothrow) CEnumPins(this, nullptr);
    if (!*ppEnum)
        return E_OUTOFMEMORY;
    (*ppEnum)->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::FindPin(LPCWSTR Id, IPin** ppPin)
{
    CheckPointer(ppPin, E_POINTER);
    *ppPin = nullptr;
    CheckPointer(Id, E_POINTER);
    CAutoLock lock(m_pLock);
    const int count = GetPinCount();
    for (int i = 0; i < count; ++i) {
        CBasePin* pPin = GetPin(i);
        if (!pPin)
            continue;
        CTaskMemory<WCHAR> pinId;
        if (SUCCEEDED(pPin->QueryId(pinId.Out()))) {
            if (std::wcscmp(pinId.Get(), Id) == 0)
                return GetInterface(static_cast<IPin*>(pPin), reinterpret_cast<void**>(ppPin));
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CBaseFilter::QueryFilterInfo(FILTER_INFO* pInfo)
{
    CheckPointer(pInfo, E_POINTER);
    if (m_pName) {
        std::wcsncpy(pInfo->achName, m_pName, MAX_FILTER_NAME - 1);
        pInfo->achName[MAX_FILTER_NAME - 1] = L'\0';
    } else {
        pInfo->achName[0] = L'\0';
    }
    pInfo->pGraph = m_pGraph;
    if (m_pGraph)
        m_pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName)
{
    CAutoLock lock(m_pLock);
    m_pGraph = pGraph;
    m_pSink = nullptr;
    if (pGraph) {
        // Held without a reference, like the graph itself.
        if (SUCCEEDED(pGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&m_pSink))))
            m_pSink->Release();
    }
    delete[] m_pName;
    m_pName = nullptr;
    if (pName) {
        m_pName = CopyName(pName);
        if (!m_pName)
            return E_OUTOFMEMORY;
    }
    return S_OK;
}

STDMETHODIMP CBaseFilter::QueryVendorInfo(LPWSTR*)
{
    return E_NOTIMPL;
}

LONG CBaseFilter::GetPinVersion()
{
    return m_PinVersion;
}

void CBaseFilter::IncrementPinVersion()
{
    InterlockedIncrement(&m_PinVersion);
}

HRESULT CBaseFilter::NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2)
{
    IMediaEventSink* pSink = m_pSink;
    if (!pSink)
        return E_NOTIMPL;
    if (EventCode == EC_COMPLETE)
        EventParam2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    return pSink->Notify(EventCode, EventParam1, EventParam2);
}

HRESULT CBaseFilter::ReconnectPin(IPin* pPin, const AM_MEDIA_TYPE* pmt)
{
    if (!m_pGraph)
        return E_NOINTERFACE;
    IFilterGraph2* pGraph2 = nullptr;
    if (SUCCEEDED(m_pGraph->QueryInterface(IID_IFilterGraph2, reinterpret_cast<void**>(&pGraph2)))) {
        const HRESULT hr = pGraph2->ReconnectEx(pPin, pmt);
        pGraph2->Release();
        return hr;
    }
    if (pmt)
        return E_NOTIMPL;
    return m_pGraph->Reconnect(pPin);
}

const AMOVIESETUP_FILTER* CBaseFilter::GetSetupData()
{
    return nullptr;
}

STDMETHODIMP CBaseFilter::Register()
{
    const AMOVIESETUP_FILTER* pSetup = GetSetupData();
    if (!pSetup)
        return S_FALSE;
    return RegisterFilterSetup(pSetup, CLSID_LegacyAmFilterCategory);
}

STDMETHODIMP CBaseFilter::Unregister()
{
    const AMOVIESETUP_FILTER* pSetup = GetSetupData();
    if (!pSetup)
        return S_FALSE;
    return UnregisterFilterSetup(*pSetup->clsID, CLSID_LegacyAmFilterCategory);
}
