// CBaseFilter: IBaseFilter for filters whose pins derive from CBasePin.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "ComBase.h"
#include "RefTime.h"
#include "Registration.h"
#include "Threads.h"

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter, public IAMovieSetup {
public:
    // pLock is the filter lock, shared with the pins; the caller owns it.
    CBaseFilter(LPCTSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT* phr = nullptr);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClsID) override;

    // IMediaFilter
    STDMETHODIMP GetState(DWORD dwMSecs, FILTER_STATE* State) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** pClock) override;
    // Stop deactivates the connected pins, Pause activates them when stopped,
    // Run pauses first when stopped and then runs the connected pins.
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    // Finds a pin by its identifier (its name unless QueryId is overridden).
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    // The graph is held without a reference: it holds us.
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* pVendorInfo) override;

    // IAMovieSetup: registers GetSetupData with the filter mapper.
    STDMETHODIMP Register() override;
    STDMETHODIMP Unregister() override;

    // The stream time: the clock's time less the run start time.
    virtual HRESULT StreamTime(CRefTime& rtStream);

    BOOL IsActive();
    BOOL IsStopped();

    // Pins, in the order the enumerator shows them.
    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int n) = 0;

    // Bumping the pin version makes open pin enumerators report out of sync.
    virtual LONG GetPinVersion();
    void IncrementPinVersion();

    // Sends an event to the graph; EC_COMPLETE carries this filter as its second parameter.
    HRESULT NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2);
    IFilterGraph* GetFilterGraph() const { return m_pGraph; }
    // Asks the graph to reconnect a pin (with the given type when not null).
    HRESULT ReconnectPin(IPin* pPin, const AM_MEDIA_TYPE* pmt);

    // The registration data of this filter, or null.
    virtual const AMOVIESETUP_FILTER* GetSetupData();

protected:
    // Inactive for the connected pins among the first count; the first failure.
    HRESULT DeactivatePins(int count);

    FILTER_STATE m_State = State_Stopped;
    IReferenceClock* m_pClock = nullptr;
    CRefTime m_tStart;
    CLSID m_clsid;
    CCritSec* m_pLock;
    WCHAR* m_pName = nullptr;
    IFilterGraph* m_pGraph = nullptr;
    IMediaEventSink* m_pSink = nullptr;
    LONG m_PinVersion = 1;
};
