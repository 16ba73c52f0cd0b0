#include "AudioCaptureSampleGrabberCB.h"

#include "SampleTimes.h"

#include "dshowbase/MediaType.h"

#include <algorithm>

STDMETHODIMP CAudioCaptureSampleGrabberCB::SampleCB(double, IMediaSample* sample)
{
    std::lock_guard guard(lock_);
    if (!sample)
        return E_FAIL;
    const SampleTimes times = ReadSampleTimes(sample);
    const long length = sample->GetActualDataLength();
    const int blockAlign = format_ ? format_->nBlockAlign : 0;

    BYTE* data = nullptr;
    if (channelSwap_ && format_ && length > 0 && SUCCEEDED(sample->GetPointer(&data)))
        engine::SwapStereo16(data, static_cast<size_t>(length), blockAlign);

    const int64_t frames = (blockAlign > 0 && length > 0) ? length / blockAlign : 0;
    counters_.Record(times.start, times.end, times.mediaStart, times.mediaEnd, frames);
    return S_OK;
}

void CAudioCaptureSampleGrabberCB::Reset()
{
    std::lock_guard guard(lock_);
    counters_.Reset();
    format_.reset();
    channelSwap_ = false;
}

HRESULT CAudioCaptureSampleGrabberCB::Attach(ISampleGrabber* grabber)
{
    const HRESULT hr = CBaseSampleGrabberCB::Attach(grabber);
    if (FAILED(hr))
        return hr;
    CMediaType type;
    if (SUCCEEDED(grabber->GetConnectedMediaType(&type))) {
        if (type.formattype == FORMAT_WaveFormatEx && type.pbFormat && type.cbFormat >= sizeof(WAVEFORMATEX) - 2) {
            WAVEFORMATEX format{};
            CopyMemory(&format, type.pbFormat, std::min<ULONG>(type.cbFormat, sizeof format));
            std::lock_guard guard(lock_);
            format_ = format;
        }
    }
    return S_OK;
}

void CAudioCaptureSampleGrabberCB::Detach()
{
    CBaseSampleGrabberCB::Detach();
    std::lock_guard guard(lock_);
    format_.reset();
}

void CAudioCaptureSampleGrabberCB::SetChannelSwap(bool swap)
{
    std::lock_guard guard(lock_);
    channelSwap_ = swap;
}

CAudioCaptureSampleGrabberCB::Figures CAudioCaptureSampleGrabberCB::Snapshot()
{
    std::lock_guard guard(lock_);
    return {counters_, format_, channelSwap_};
}
