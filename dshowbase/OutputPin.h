// CBaseOutputPin: an output pin that delivers samples to an IMemInputPin, on the
// downstream pin's allocator or on one of our own.
#pragma once

#include "BasePin.h"

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName);
    ~CBaseOutputPin() override;

    // The downstream pin must offer IMemInputPin.
    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* pReceivePin) override;

    // Tries the downstream pin's allocator, then our own; each must pass
    // DecideBufferSize and is then announced with NotifyAllocator.
    virtual HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc);
    // Sets the allocator's properties; pprop holds the downstream pin's requirements.
    virtual HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pprop) = 0;
    // Makes our own allocator (a CMemAllocator).
    virtual HRESULT InitAllocator(IMemAllocator** ppAlloc);

    virtual HRESULT GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                                      DWORD dwFlags);
    virtual HRESULT Deliver(IMediaSample* pSample);
    virtual HRESULT DeliverEndOfStream();
    virtual HRESULT DeliverBeginFlush();
    virtual HRESULT DeliverEndFlush();
    virtual HRESULT DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);

    // Commit and decommit the allocator.
    HRESULT Active() override;
    HRESULT Inactive() override;

    // Input-side calls, wrong on an output pin.
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

protected:
    IMemAllocator* m_pAllocator = nullptr;
    IMemInputPin* m_pInputPin = nullptr;

private:
    // Sizes the buffers of the allocator that was got with `hrGot` and announces it to
    // `pPin`; releases it when either fails.
    HRESULT UseAllocator(IMemInputPin* pPin, HRESULT hrGot, IMemAllocator** ppAlloc, const ALLOCATOR_PROPERTIES& prop);
};
