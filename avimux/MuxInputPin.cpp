#include "MuxInputPin.h"

#include "FrameDurationSource.h"
#include "MuxBaseFilter.h"
#include "MuxFilter.h"
#include "TimeShiftOutputPin.h"

using trelvox::StreamKind;

namespace {

HRESULT ReadVideoFormat(const CMediaType& mt, trelvox::VideoFormat* format)
{
    if (*mt.Type() != MEDIATYPE_Video || !mt.Format())
        return VFW_E_TYPE_NOT_ACCEPTED;
    trelvox::VideoFormatKind kind;
    if (*mt.FormatType() == FORMAT_VideoInfo)
        kind = trelvox::VideoFormatKind::VideoInfo;
    else if (*mt.FormatType() == FORMAT_VideoInfo2)
        kind = trelvox::VideoFormatKind::VideoInfo2;
    else
        return VFW_E_TYPE_NOT_ACCEPTED;
    trelvox::VideoFormat parsed;
    const auto hr = trelvox::VideoFormatFromBlock(kind, mt.Format(), mt.FormatLength(), format ? format : &parsed);
    return trelvox::Succeeded(hr) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT ReadAudioFormat(const CMediaType& mt, trelvox::AudioFormat* format)
{
    if (*mt.Type() != MEDIATYPE_Audio || *mt.FormatType() != FORMAT_WaveFormatEx || !mt.Format())
        return VFW_E_TYPE_NOT_ACCEPTED;
    trelvox::AudioFormat parsed;
    const auto hr = trelvox::AudioFormatFromBlock(mt.Format(), mt.FormatLength(), format ? format : &parsed);
    return trelvox::Succeeded(hr) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

// AvgTimePerFrame of a connected video input pin; 0 for any other pin.
REFERENCE_TIME InputPinFrameDuration(IPin* pin)
{
    PIN_DIRECTION direction;
    CMediaType type;
    if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_INPUT || pin->ConnectionMediaType(&type) != S_OK)
        return 0;
    trelvox::VideoFormat format;
    return ReadVideoFormat(type, &format) == S_OK ? format.frameDuration : 0;
}

// The frame duration of the upstream filter's own connected input pins (the first that
// has one), as a compressor that leaves its output's AvgTimePerFrame at 0 still knows it.
REFERENCE_TIME UpstreamInputFrameDuration(IPin* upstreamOutput)
{
    PIN_INFO info{};
    if (!upstreamOutput || FAILED(upstreamOutput->QueryPinInfo(&info)) || !info.pFilter)
        return 0;
    REFERENCE_TIME duration = 0;
    IEnumPins* pins = nullptr;
    if (SUCCEEDED(info.pFilter->EnumPins(&pins))) {
        IPin* pin = nullptr;
        while (duration <= 0 && pins->Next(1, &pin, nullptr) == S_OK) {
            duration = InputPinFrameDuration(pin);
            pin->Release();
        }
        pins->Release();
    }
    info.pFilter->Release();
    return duration;
}

}  // namespace

MuxInputPin::MuxInputPin(MuxBaseFilter* filter, CCritSec* lock, HRESULT* phr, StreamKind stream)
    : CBaseInputPin(stream == StreamKind::Video ? L"Video input" : L"Audio input", filter, lock, phr,
                    stream == StreamKind::Video ? L"Video" : L"Audio"),
      mux_(filter),
      stream_(stream)
{
}

HRESULT MuxInputPin::CheckMediaType(const CMediaType* pmt)
{
    CheckPointer(pmt, E_POINTER);
    if (stream_ == StreamKind::Audio)
        return ReadAudioFormat(*pmt, nullptr);
    // A type without a frame duration is taken too: the recording finds one upstream or
    // in the samples, and refuses the first sample when neither has one.
    return ReadVideoFormat(*pmt, nullptr);
}

HRESULT MuxInputPin::BreakConnect()
{
    TimeShiftOutputPin* output = mux_->OutputPin(stream_);
    if (IPin* peer = output->GetConnected()) {
        peer->AddRef();
        output->Disconnect();
        peer->Disconnect();
        peer->Release();
    }
    return CBaseInputPin::BreakConnect();
}

STDMETHODIMP MuxInputPin::Receive(IMediaSample* pSample)
{
    HRESULT hr = CBaseInputPin::Receive(pSample);
    if (hr != S_OK)
        return hr;
    const AM_SAMPLE2_PROPERTIES& props = *SampleProps();
    trelvox::MuxSample sample;
    sample.data = props.pbBuffer;
    sample.length = props.lActual > 0 ? static_cast<uint32_t>(props.lActual) : 0;
    sample.hasTime = (props.dwSampleFlags & AM_SAMPLE_TIMEVALID) != 0;
    sample.start = props.tStart;
    sample.stop = (props.dwSampleFlags & AM_SAMPLE_STOPVALID) ? props.tStop : props.tStart;
    REFERENCE_TIME mediaStart = 0, mediaStop = 0;
    sample.hasMediaTime = pSample->GetMediaTime(&mediaStart, &mediaStop) == S_OK;
    sample.mediaStart = mediaStart;
    sample.mediaStop = mediaStop;
    sample.syncPoint = (props.dwSampleFlags & AM_SAMPLE_SPLICEPOINT) != 0;
    sample.discontinuity = (props.dwSampleFlags & AM_SAMPLE_DATADISCONTINUITY) != 0;
    return mux_->Mux()->Receive(stream_, sample);
}

STDMETHODIMP MuxInputPin::EndOfStream()
{
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK)
        return hr;
    mux_->Mux()->EndOfStream(stream_);
    return S_OK;
}

bool MuxInputPin::ConnectedVideoFormat(trelvox::VideoFormat* format) const
{
    if (!IsConnected() || ReadVideoFormat(CurrentMediaType(), format) != S_OK)
        return false;
    if (format->frameDuration <= 0)
        format->frameDuration =
            trelvox::ConnectionFrameDuration(format->frameDuration, UpstreamInputFrameDuration(GetConnected()));
    return true;
}

bool MuxInputPin::ConnectedAudioFormat(trelvox::AudioFormat* format) const
{
    return IsConnected() && ReadAudioFormat(CurrentMediaType(), format) == S_OK;
}
