#include "TestFilters.h"

#include <cstring>
#include <new>
#include <string>

CMediaType MakeVideoType(const GUID& subtype, LONG width, LONG height, REFERENCE_TIME frameDuration)
{
    const WORD bits = subtype == MEDIASUBTYPE_RGB24 ? 24 : 32;
    CMediaType mt(&MEDIATYPE_Video);
    mt.SetSubtype(&subtype);
    mt.SetFormatType(&FORMAT_VideoInfo);
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    vih->AvgTimePerFrame = frameDuration;
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = width;
    vih->bmiHeader.biHeight = height;
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = bits;
    vih->bmiHeader.biCompression = BI_RGB;
    vih->bmiHeader.biSizeImage = static_cast<DWORD>(((width * bits / 8 + 3) & ~3) * height);
    mt.SetSampleSize(vih->bmiHeader.biSizeImage);
    mt.SetTemporalCompression(FALSE);
    return mt;
}

TestSourceStream::TestSourceStream(HRESULT* phr, CSource* pFilter, LPCWSTR pName)
    : CSourceStream(L"TestSourceStream", phr, pFilter, pName)
{
    m_types.push_back(MakeVideoType(MEDIASUBTYPE_RGB32, 64, 48, 100000));
}

STDMETHODIMP TestSourceStream::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMediaSeeking)
        return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    return CSourceStream::NonDelegatingQueryInterface(riid, ppv);
}

void TestSourceStream::SetMediaTypes(const std::vector<CMediaType>& types)
{
    CAutoLock lock(m_pFilter->pStateLock());
    CAutoLock typesLock(&m_typesLock);
    m_types = types;
    IncrementTypeVersion();
}

REFERENCE_TIME TestSourceStream::FrameDuration() const
{
    return reinterpret_cast<const VIDEOINFOHEADER*>(m_mt.Format())->AvgTimePerFrame;
}

HRESULT TestSourceStream::CheckMediaType(const CMediaType* pMediaType)
{
    CAutoLock lock(m_pFilter->pStateLock());
    for (const CMediaType& type : m_types) {
        if (type == *pMediaType)
            return S_OK;
    }
    return E_FAIL;
}

HRESULT TestSourceStream::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    CAutoLock lock(m_pFilter->pStateLock());
    if (iPosition < 0)
        return E_INVALIDARG;
    if (iPosition >= static_cast<int>(m_types.size()))
        return VFW_S_NO_MORE_ITEMS;
    return pMediaType->Set(m_types[iPosition]);
}

HRESULT TestSourceStream::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest)
{
    pRequest->cBuffers = pRequest->cBuffers > 2 ? pRequest->cBuffers : 2;
    pRequest->cbBuffer = static_cast<LONG>(m_mt.GetSampleSize());
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = pAlloc->SetProperties(pRequest, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < pRequest->cbBuffer ? E_FAIL : S_OK;
}

HRESULT TestSourceStream::OnThreadCreate()
{
    m_next = 0;
    m_delivered = 0;
    m_failedDeliveries = 0;
    return m_threadCreateResult;
}

HRESULT TestSourceStream::FillBuffer(IMediaSample* pSample)
{
    if (m_next >= m_sampleCount)
        return S_FALSE;
    const LONG index = InterlockedIncrement(&m_next) - 1;
    BYTE* data = nullptr;
    pSample->GetPointer(&data);
    const LONG length = static_cast<LONG>(m_mt.GetSampleSize());
    std::memset(data, static_cast<int>(index & 0xFF), static_cast<size_t>(length));
    pSample->SetActualDataLength(length);
    REFERENCE_TIME start = index * FrameDuration();
    REFERENCE_TIME stop = start + FrameDuration();
    pSample->SetTime(&start, &stop);
    pSample->SetSyncPoint(TRUE);
    return S_OK;
}

HRESULT TestSourceStream::Deliver(IMediaSample* pSample)
{
    const HRESULT hr = CSourceStream::Deliver(pSample);
    if (hr == S_OK)
        InterlockedIncrement(&m_delivered);
    else
        InterlockedIncrement(&m_failedDeliveries);
    return hr;
}

STDMETHODIMP TestSourceStream::GetCapabilities(DWORD* pCapabilities)
{
    CheckPointer(pCapabilities, E_POINTER);
    *pCapabilities = AM_SEEKING_CanGetDuration | AM_SEEKING_CanGetStopPos;
    return S_OK;
}

STDMETHODIMP TestSourceStream::IsFormatSupported(const GUID* pFormat)
{
    CheckPointer(pFormat, E_POINTER);
    return *pFormat == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

STDMETHODIMP TestSourceStream::QueryPreferredFormat(GUID* pFormat)
{
    CheckPointer(pFormat, E_POINTER);
    *pFormat = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

STDMETHODIMP TestSourceStream::GetTimeFormat(GUID* pFormat)
{
    return QueryPreferredFormat(pFormat);
}

STDMETHODIMP TestSourceStream::IsUsingTimeFormat(const GUID* pFormat)
{
    return IsFormatSupported(pFormat);
}

STDMETHODIMP TestSourceStream::SetTimeFormat(const GUID* pFormat)
{
    CheckPointer(pFormat, E_POINTER);
    return *pFormat == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

STDMETHODIMP TestSourceStream::GetDuration(LONGLONG* pDuration)
{
    CheckPointer(pDuration, E_POINTER);
    CAutoLock lock(&m_typesLock);
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(m_types.front().Format());
    *pDuration = m_sampleCount * vih->AvgTimePerFrame;
    return S_OK;
}

STDMETHODIMP TestSourceStream::GetStopPosition(LONGLONG* pStop)
{
    return GetDuration(pStop);
}

TestSource::TestSource(HRESULT* phr) : CSource(L"TestSource", nullptr, CLSID_TestSource, phr) {}

TestSource* TestSource::Create(int pins)
{
    HRESULT hr = S_OK;
    auto* source = new TestSource(&hr);
    for (int i = 0; i < pins; ++i) {
        source->AddStream((L"Out" + std::to_wstring(i)).c_str());
    }
    return source;
}

TestSourceStream* TestSource::AddStream(LPCWSTR pName)
{
    HRESULT hr = S_OK;
    return new TestSourceStream(&hr, this, pName);  // attaches itself
}

const AMOVIESETUP_MEDIATYPE kTestSinkPinType = {&MEDIATYPE_Video, &GUID_NULL};
const AMOVIESETUP_PIN kTestSinkPins[] = {
    {const_cast<LPWSTR>(L"Input"), TRUE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kTestSinkPinType},
};
const AMOVIESETUP_FILTER kTestSinkSetup = {&CLSID_TestSink, L"dshowbase Test Sink", MERIT_DO_NOT_USE, 1, kTestSinkPins};

TestSinkPin::TestSinkPin(TestSink* pFilter, CCritSec* pLock, HRESULT* phr)
    : CBaseInputPin(L"TestSinkPin", pFilter, pLock, phr, L"Input"),
      m_pSink(pFilter)
{
}

HRESULT TestSinkPin::CheckMediaType(const CMediaType* pmt)
{
    return *pmt->Type() == MEDIATYPE_Video && *pmt->FormatType() == FORMAT_VideoInfo ? S_OK : E_FAIL;
}

STDMETHODIMP TestSinkPin::Receive(IMediaSample* pSample)
{
    const HRESULT hr = CBaseInputPin::Receive(pSample);
    if (hr != S_OK)
        return hr;
    m_pSink->OnSample(pSample);
    return S_OK;
}

STDMETHODIMP TestSinkPin::EndOfStream()
{
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK)
        return hr;
    m_pSink->OnEndOfStream();
    return S_OK;
}

CUnknown* WINAPI TestSink::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    CUnknown* pObject = new (std::nothrow) TestSink(pUnk, phr);
    if (!pObject && phr)
        *phr = E_OUTOFMEMORY;
    return pObject;
}

TestSink::TestSink(LPUNKNOWN pUnk, HRESULT* phr) : CBaseFilter(L"TestSink", pUnk, &m_filterLock, CLSID_TestSink, phr)
{
    m_pPin = new (std::nothrow) TestSinkPin(this, &m_filterLock, phr);
    if (!m_pPin && phr)
        *phr = E_OUTOFMEMORY;
}

TestSink::~TestSink()
{
    if (m_pPosition)
        m_pPosition->NonDelegatingRelease();
    delete m_pPin;
}

STDMETHODIMP TestSink::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMediaSeeking || riid == IID_IMediaPosition) {
        CAutoLock lock(&m_filterLock);
        if (!m_pPosition) {
            HRESULT hr = S_OK;
            m_pPosition = new (std::nothrow) CPosPassThru(L"TestSink position", GetOwner(), &hr, m_pPin);
            if (!m_pPosition)
                return E_OUTOFMEMORY;
            m_pPosition->NonDelegatingAddRef();
        }
        return m_pPosition->NonDelegatingQueryInterface(riid, ppv);
    }
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

CBasePin* TestSink::GetPin(int n)
{
    return n == 0 ? m_pPin : nullptr;
}

STDMETHODIMP TestSink::Run(REFERENCE_TIME tStart)
{
    CAutoLock lock(&m_filterLock);
    const HRESULT hr = CBaseFilter::Run(tStart);
    if (SUCCEEDED(hr) && m_completePending) {
        m_completePending = false;
        NotifyEvent(EC_COMPLETE, S_OK, 0);
    }
    return hr;
}

STDMETHODIMP TestSink::Stop()
{
    CAutoLock lock(&m_filterLock);
    m_completePending = false;
    return CBaseFilter::Stop();
}

const AMOVIESETUP_FILTER* TestSink::GetSetupData()
{
    return &kTestSinkSetup;
}

void TestSink::OnSample(IMediaSample* pSample)
{
    Received received{};
    received.timeResult = pSample->GetTime(&received.start, &received.stop);
    received.length = pSample->GetActualDataLength();
    BYTE* data = nullptr;
    if (SUCCEEDED(pSample->GetPointer(&data)) && data && received.length > 0)
        received.firstByte = data[0];
    received.syncPoint = pSample->IsSyncPoint() == S_OK;
    CAutoLock lock(&m_dataLock);
    m_samples.push_back(received);
}

void TestSink::OnEndOfStream()
{
    {
        CAutoLock lock(&m_dataLock);
        ++m_endOfStreams;
    }
    CAutoLock lock(&m_filterLock);
    if (m_State == State_Running)
        NotifyEvent(EC_COMPLETE, S_OK, 0);
    else
        m_completePending = true;
}

std::vector<TestSink::Received> TestSink::Samples()
{
    CAutoLock lock(&m_dataLock);
    return m_samples;
}

int TestSink::EndOfStreamCount()
{
    CAutoLock lock(&m_dataLock);
    return m_endOfStreams;
}

void TestSink::ClearObservations()
{
    CAutoLock lock(&m_dataLock);
    m_samples.clear();
    m_endOfStreams = 0;
}
