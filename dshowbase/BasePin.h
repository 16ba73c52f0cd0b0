// CBasePin: IPin with the connection protocol (media type agreement, CheckConnect,
// CompleteConnect, BreakConnect). Pins share the filter's lock and reference count.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "BaseFilter.h"
#include "ComBase.h"
#include "MediaType.h"
#include "RefTime.h"
#include "Threads.h"

class CBasePin : public CUnknown, public IPin, public IQualityControl {
public:
    CBasePin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName,
             PIN_DIRECTION dir);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // A pin lives as long as its filter: references go to the filter.
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // IPin
    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    STDMETHODIMP QueryId(LPWSTR* Id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    STDMETHODIMP QueryInternalConnections(IPin** apPin, ULONG* nPin) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override = 0;
    STDMETHODIMP EndFlush() override = 0;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // IQualityControl
    STDMETHODIMP Notify(IBaseFilter* pSender, Quality q) override;
    STDMETHODIMP SetSink(IQualityControl* piqc) override;

    // Connection steps, in the order they are called.
    virtual HRESULT CheckConnect(IPin* pPin);
    virtual HRESULT CheckMediaType(const CMediaType* pmt) = 0;
    virtual HRESULT SetMediaType(const CMediaType* pmt);
    virtual HRESULT CompleteConnect(IPin* pReceivePin);
    virtual HRESULT BreakConnect();

    // Preferred types by position: S_OK, VFW_S_NO_MORE_ITEMS past the end, E_INVALIDARG below 0.
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType);
    virtual LONG GetMediaTypeVersion();
    void IncrementTypeVersion();

    // State changes from the filter (only for connected pins).
    virtual HRESULT Active();
    virtual HRESULT Inactive();
    virtual HRESULT Run(REFERENCE_TIME tStart);

    BOOL IsConnected() const { return m_Connected != nullptr; }
    IPin* GetConnected() const { return m_Connected; }
    BOOL IsStopped() const { return m_pFilter->IsStopped(); }
    const CMediaType& CurrentMediaType() const { return m_mt; }
    LPCWSTR Name() const { return m_pName; }

    REFERENCE_TIME CurrentStartTime() const { return m_tStart; }
    REFERENCE_TIME CurrentStopTime() const { return m_tStop; }
    double CurrentRate() const { return m_dRate; }

    HRESULT DisconnectInternal();

protected:
    virtual HRESULT AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt);
    virtual HRESULT AttemptConnection(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum);

    WCHAR* m_pName = nullptr;
    IPin* m_Connected = nullptr;
    PIN_DIRECTION m_dir;
    CCritSec* m_pLock;
    bool m_bRunTimeError = false;
    bool m_bCanReconnectWhenActive = false;
    bool m_bTryMyTypesFirst = false;
    CBaseFilter* m_pFilter;
    IQualityControl* m_pQSink = nullptr;
    LONG m_TypeVersion = 1;
    CMediaType m_mt;
    CRefTime m_tStart;
    CRefTime m_tStop{static_cast<REFERENCE_TIME>(0x7FFFFFFFFFFFFFFFLL)};
    double m_dRate = 1.0;
};
