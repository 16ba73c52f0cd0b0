// A source and a sink built on our base classes, for the tests.
#pragma once

#include <vector>

#include "dshowbase/streams.h"

// {5B3C7E1A-2F44-4C0B-9D7E-6A1F0C3B8E21}
inline const CLSID CLSID_TestSink = {0x5b3c7e1a, 0x2f44, 0x4c0b, {0x9d, 0x7e, 0x6a, 0x1f, 0x0c, 0x3b, 0x8e, 0x21}};
// {0E8C5D22-91A7-4F6B-8C3E-27D4A9B1F650}
inline const CLSID CLSID_TestSource = {0x0e8c5d22, 0x91a7, 0x4f6b, {0x8c, 0x3e, 0x27, 0xd4, 0xa9, 0xb1, 0xf6, 0x50}};

// An uncompressed video type of the given subtype (RGB24 or RGB32).
CMediaType MakeVideoType(const GUID& subtype, LONG width, LONG height, REFERENCE_TIME frameDuration);

// Pushes a fixed number of samples, sample i stamped [i*T, (i+1)*T] with its first
// byte set to i, then ends the stream. Offers its media types in order. Its pin
// answers IMediaSeeking::GetDuration with count × T, so pass-through can be seen.
class TestSourceStream : public CSourceStream, public IMediaSeeking {
public:
    TestSourceStream(HRESULT* phr, CSource* pFilter, LPCWSTR pName);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    void SetMediaTypes(const std::vector<CMediaType>& types);
    void SetSampleCount(int count) { m_sampleCount = count; }
    // The streaming thread refuses to start with this result.
    void FailThreadCreate(HRESULT hr) { m_threadCreateResult = hr; }
    int DeliveredCount() const { return m_delivered; }
    // The delivery results other than S_OK seen by the streaming thread.
    int FailedDeliveries() const { return m_failedDeliveries; }

    // IMediaSeeking: the duration and the time format; the rest is not offered.
    STDMETHODIMP GetCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP IsFormatSupported(const GUID* pFormat) override;
    STDMETHODIMP QueryPreferredFormat(GUID* pFormat) override;
    STDMETHODIMP GetTimeFormat(GUID* pFormat) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP SetTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP GetDuration(LONGLONG* pDuration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* pStop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP SetPositions(LONGLONG*, DWORD, LONGLONG*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetPositions(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAvailable(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetRate(double) override { return E_NOTIMPL; }
    STDMETHODIMP GetRate(double*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPreroll(LONGLONG*) override { return E_NOTIMPL; }

protected:
    HRESULT CheckMediaType(const CMediaType* pMediaType) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest) override;
    HRESULT FillBuffer(IMediaSample* pSample) override;
    HRESULT OnThreadCreate() override;
    HRESULT Deliver(IMediaSample* pSample) override;

private:
    REFERENCE_TIME FrameDuration() const;

    std::vector<CMediaType> m_types;
    // Changes of m_types, for the seeking calls. Not the filter lock: a renderer asks for
    // the stop position from the streaming thread at the end of the stream, while Stop
    // may hold the filter lock and wait for that thread.
    CCritSec m_typesLock;
    int m_sampleCount = 10;
    HRESULT m_threadCreateResult = S_OK;
    volatile LONG m_next = 0;
    volatile LONG m_delivered = 0;
    volatile LONG m_failedDeliveries = 0;
};

class TestSource : public CSource {
public:
    // A source with the given number of output pins, named "Out0", "Out1", ...
    static TestSource* Create(int pins);
    TestSourceStream* Stream(int n) { return static_cast<TestSourceStream*>(GetPin(n)); }
    // Adds one more pin (the pin version changes).
    TestSourceStream* AddStream(LPCWSTR pName);

private:
    TestSource(HRESULT* phr);
};

class TestSink;

class TestSinkPin : public CBaseInputPin {
public:
    TestSinkPin(TestSink* pFilter, CCritSec* pLock, HRESULT* phr);

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP EndOfStream() override;

private:
    TestSink* m_pSink;
};

// Renders video samples by writing down what arrived. EC_COMPLETE follows the end of
// the stream once the filter runs, as a renderer's does. IMediaSeeking and
// IMediaPosition are those of the filter upstream, through an aggregated CPosPassThru.
class TestSink : public CBaseFilter {
public:
    struct Received {
        HRESULT timeResult;
        REFERENCE_TIME start;
        REFERENCE_TIME stop;
        LONG length;
        BYTE firstByte;
        bool syncPoint;
    };

    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);
    TestSink(LPUNKNOWN pUnk, HRESULT* phr);
    ~TestSink() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP Stop() override;
    const AMOVIESETUP_FILTER* GetSetupData() override;

    std::vector<Received> Samples();
    int EndOfStreamCount();
    void ClearObservations();
    TestSinkPin* InputPin() { return m_pPin; }

private:
    friend class TestSinkPin;
    void OnSample(IMediaSample* pSample);
    void OnEndOfStream();

    CCritSec m_filterLock;
    CCritSec m_dataLock;
    TestSinkPin* m_pPin = nullptr;
    CPosPassThru* m_pPosition = nullptr;
    std::vector<Received> m_samples;
    int m_endOfStreams = 0;
    bool m_completePending = false;
};

extern const AMOVIESETUP_FILTER kTestSinkSetup;
