#include "MuxTestSource.h"

#include <cstring>

// {6A0E2B51-3C74-4D8E-A1F9-0B7C5D3E2F14}
static const CLSID CLSID_MuxTestSource = {0x6a0e2b51, 0x3c74, 0x4d8e, {0xa1, 0xf9, 0x0b, 0x7c, 0x5d, 0x3e, 0x2f, 0x14}};

CMediaType MakeYuy2Type(LONG width, LONG height, REFERENCE_TIME frameDuration)
{
    CMediaType mt(&MEDIATYPE_Video);
    mt.SetSubtype(&MEDIASUBTYPE_YUY2);
    mt.SetFormatType(&FORMAT_VideoInfo);
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    std::memset(vih, 0, sizeof *vih);
    vih->AvgTimePerFrame = frameDuration;
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = width;
    vih->bmiHeader.biHeight = height;
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = 16;
    vih->bmiHeader.biCompression = MAKEFOURCC('Y', 'U', 'Y', '2');
    vih->bmiHeader.biSizeImage = static_cast<DWORD>(width * height * 2);
    mt.SetSampleSize(vih->bmiHeader.biSizeImage);
    mt.SetTemporalCompression(FALSE);
    return mt;
}

CMediaType MakePcmType()
{
    CMediaType mt(&MEDIATYPE_Audio);
    mt.SetSubtype(&MEDIASUBTYPE_PCM);
    mt.SetFormatType(&FORMAT_WaveFormatEx);
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 48000, 48000 * kAudioBlockAlign, kAudioBlockAlign, 16, 0};
    mt.SetFormat(reinterpret_cast<BYTE*>(&wfx), sizeof wfx);
    mt.SetSampleSize(kAudioFramesPerBuffer * kAudioBlockAlign);
    return mt;
}

MuxTestStream::MuxTestStream(HRESULT* phr, CSource* filter, LPCWSTR name, const CMediaType& type,
                             const StreamPlan& plan)
    : CSourceStream(name, phr, filter, name),
      type_(type),
      plan_(plan)
{
}

HRESULT MuxTestStream::GetMediaType(CMediaType* pMediaType)
{
    return pMediaType->Set(type_);
}

void PaintTestSample(bool video, BYTE* data, LONG length, LONG index)
{
    if (video) {
        const BYTE luma = static_cast<BYTE>(16 + (index * 7) % 220);
        for (LONG i = 0; i < length; i += 2) {
            data[i] = luma;
            data[i + 1] = 128;
        }
    } else {
        auto* pcm = reinterpret_cast<short*>(data);
        for (LONG i = 0; i < length / 2; ++i)
            pcm[i] = static_cast<short>(((i / 2) / 50) % 2 ? 1000 : -1000);
    }
}

HRESULT RequestSampleBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request, long minimumCount,
                             const CMediaType& type)
{
    request->cBuffers = request->cBuffers > minimumCount ? request->cBuffers : minimumCount;
    request->cbBuffer = static_cast<LONG>(type.GetSampleSize());
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}

HRESULT MuxTestStream::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest)
{
    return RequestSampleBuffers(pAlloc, pRequest, 3, type_);
}

REFERENCE_TIME MuxTestStream::SampleDuration() const
{
    if (*type_.Type() == MEDIATYPE_Video)
        return kNtscFrame;
    return kAudioFramesPerBuffer * 10000000LL / 48000;
}

HRESULT MuxTestStream::OnThreadCreate()
{
    next_ = 0;
    delivered_ = 0;
    refusal_ = S_OK;
    return S_OK;
}

HRESULT MuxTestStream::FillBuffer(IMediaSample* pSample)
{
    if (plan_.count >= 0 && next_ >= plan_.count)
        return S_FALSE;
    const LONG index = next_++;
    // Lockstep behind the leader, whatever the load on the machine.
    for (int waited = 0; leader_ && leader_->Delivered() <= index && waited < 10000; ++waited)
        Sleep(1);
    BYTE* data = nullptr;
    pSample->GetPointer(&data);
    const LONG length = static_cast<LONG>(type_.GetSampleSize());
    PaintTestSample(*type_.Type() == MEDIATYPE_Video, data, length, index);
    pSample->SetActualDataLength(length);
    if (plan_.unstampedFrom < 0 || index < plan_.unstampedFrom) {
        REFERENCE_TIME start = static_cast<REFERENCE_TIME>(index * SampleDuration() * plan_.stampScale);
        REFERENCE_TIME stop = start + SampleDuration();
        pSample->SetTime(&start, plan_.startTimesOnly ? nullptr : &stop);
    } else {
        pSample->SetTime(nullptr, nullptr);
    }
    pSample->SetSyncPoint(TRUE);
    return S_OK;
}

HRESULT MuxTestStream::Deliver(IMediaSample* pSample)
{
    const HRESULT hr = CSourceStream::Deliver(pSample);
    if (hr == S_OK)
        InterlockedIncrement(&delivered_);
    else if (refusal_ == S_OK)
        refusal_ = hr;
    return hr;
}

MuxTestSource::MuxTestSource(HRESULT* phr) : CSource(L"MuxTestSource", nullptr, CLSID_MuxTestSource, phr) {}

MuxTestSource* MuxTestSource::Create(LONG width, LONG height, const StreamPlan& video, const StreamPlan& audio)
{
    HRESULT hr = S_OK;
    auto* source = new MuxTestSource(&hr);
    if (video.enabled)
        source->video_ = new MuxTestStream(&hr, source, L"Video",
                                           MakeYuy2Type(width, height, video.untimedType ? 0 : kNtscFrame), video);
    if (audio.enabled)
        source->audio_ = new MuxTestStream(&hr, source, L"Audio", MakePcmType(), audio);
    if (video.pacedByAudio && source->video_)
        source->video_->leader_ = source->audio_;
    return source;
}
