// CBaseInputPin: an input pin with IMemInputPin (allocator negotiation, Receive,
// flushing).
#pragma once

#include "BasePin.h"

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMemInputPin
    // Our own memory allocator unless the upstream pin has told us of one.
    STDMETHODIMP GetAllocator(IMemAllocator** ppAllocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
    // Checks the state and reads the sample's properties into m_SampleProps (a type
    // change is checked against CheckMediaType); derived classes then process it.
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* nSamplesProcessed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    // IPin: derived classes call these first and then pass the flush on.
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    HRESULT BreakConnect() override;
    HRESULT Inactive() override;

    // S_OK while samples may be received, S_FALSE while flushing, else an error.
    virtual HRESULT CheckStreaming();

    BOOL IsReadOnly() const { return m_bReadOnly; }
    BOOL IsFlushing() const { return m_bFlushing; }
    AM_SAMPLE2_PROPERTIES* SampleProps() { return &m_SampleProps; }

protected:
    IMemAllocator* m_pAllocator = nullptr;
    BOOL m_bReadOnly = FALSE;
    BOOL m_bFlushing = FALSE;
    AM_SAMPLE2_PROPERTIES m_SampleProps{};
};
