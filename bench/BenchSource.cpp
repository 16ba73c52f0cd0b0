#include "BenchSource.h"

#include "MuxTestSource.h"

using Microsoft::WRL::ComPtr;

// {3F6C1D8A-92B4-4E57-8C0D-5A7B9E1F2C63}
static const CLSID CLSID_BenchSource = {0x3f6c1d8a, 0x92b4, 0x4e57, {0x8c, 0x0d, 0x5a, 0x7b, 0x9e, 0x1f, 0x2c, 0x63}};

BenchStream::BenchStream(HRESULT* phr, CSource* filter, LPCWSTR name, const CMediaType& type, int count, bool paced)
    : CSourceStream(name, phr, filter, name),
      type_(type),
      count_(count),
      paced_(paced)
{
}

HRESULT BenchStream::Run(REFERENCE_TIME tStart)
{
    if (paced_) {
        ComPtr<IReferenceClock> clock;
        m_pFilter->GetSyncSource(clock.GetAddressOf());
        const HRESULT hr = pacer_.Start(clock.Get(), tStart);
        if (FAILED(hr))
            return hr;
    }
    return CSourceStream::Run(tStart);
}

HRESULT BenchStream::GetMediaType(CMediaType* pMediaType)
{
    return pMediaType->Set(type_);
}

HRESULT BenchStream::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest)
{
    return RequestSampleBuffers(pAlloc, pRequest, 4, type_);
}

HRESULT BenchStream::OnThreadCreate()
{
    next_ = 0;
    painted_.clear();
    pacer_.Reset();
    return S_OK;
}

bool BenchStream::IsVideo() const
{
    return *type_.Type() == MEDIATYPE_Video;
}

REFERENCE_TIME BenchStream::SampleDuration() const
{
    if (IsVideo())
        return reinterpret_cast<const VIDEOINFOHEADER*>(type_.Format())->AvgTimePerFrame;
    return kAudioFramesPerBuffer * 10000000LL / 48000;
}

void BenchStream::Paint(BYTE* data, LONG length, LONG index) const
{
    PaintTestSample(IsVideo(), data, length, index);
}

HRESULT BenchStream::AwaitNextSample()
{
    const REFERENCE_TIME duration = SampleDuration();
    const HRESULT hr = pacer_.WaitFor(next_ * duration, GetRequestHandle());
    if (hr != S_OK || !IsVideo())
        return hr;
    const REFERENCE_TIME late = pacer_.Now() - next_ * duration;
    if (late >= duration)
        next_ += static_cast<LONG>(late / duration);
    return S_OK;
}

HRESULT BenchStream::FillBuffer(IMediaSample* pSample)
{
    if (paced_) {
        const HRESULT hr = AwaitNextSample();
        if (hr != S_OK)
            return hr;
    }
    if (next_ >= count_)
        return S_FALSE;
    const LONG index = next_++;
    BYTE* data = nullptr;
    pSample->GetPointer(&data);
    const LONG length = static_cast<LONG>(type_.GetSampleSize());
    if (painted_.insert(data).second) {
        Paint(data, length, index);
    } else if (IsVideo()) {
        const LONG line = reinterpret_cast<const VIDEOINFOHEADER*>(type_.Format())->bmiHeader.biWidth * 2;
        Paint(data, line, index);
    }
    pSample->SetActualDataLength(length);
    REFERENCE_TIME start = index * SampleDuration();
    REFERENCE_TIME stop = start + SampleDuration();
    pSample->SetTime(&start, &stop);
    pSample->SetSyncPoint(TRUE);
    return S_OK;
}

BenchSource::BenchSource(HRESULT* phr, bool paced)
    : CSource(L"BenchSource", nullptr, CLSID_BenchSource, phr),
      paced_(paced)
{
}

STDMETHODIMP BenchSource::GetState(DWORD dwMSecs, FILTER_STATE* State)
{
    const HRESULT hr = CSource::GetState(dwMSecs, State);
    return hr == S_OK && paced_ && *State == State_Paused ? VFW_S_CANT_CUE : hr;
}

BenchSource* BenchSource::Create(int videoFrames, int audioBuffers, bool paced)
{
    HRESULT hr = S_OK;
    auto* source = new BenchSource(&hr, paced);
    new BenchStream(&hr, source, L"Video", MakeYuy2Type(1920, 1080, kNtscFrame), videoFrames, paced);
    new BenchStream(&hr, source, L"Audio", MakePcmType(), audioBuffers, paced);
    return source;
}
