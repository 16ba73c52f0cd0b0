#include "MuxInputPin.h"

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

}  // namespace

MuxInputPin::MuxInputPin(MuxBaseFilter* filter, CCritSec* lock, HRESULT* phr, StreamKind stream)
    : CBaseInputPin(stream == StreamKind::Video ? L"Video input" : L"Audio input", filter, lock, phr,
                    stream == StreamKind::Video ? L"Video" : L"Audio"),
      m_mux(filter),
      m_stream(stream)
{
}

HRESULT MuxInputPin::CheckMediaType(const CMediaType* pmt)
{
    CheckPointer(pmt, E_POINTER);
    if (m_stream == StreamKind::Audio)
        return ReadAudioFormat(*pmt, nullptr);
    trelvox::VideoFormat format;
    const HRESULT hr = ReadVideoFormat(*pmt, &format);
    if (FAILED(hr))
        return hr;
    // Without a frame duration of its own the stream cannot be timed, unless one is set.
    if (format.frameDuration <= 0 && !m_mux->Mux()->Settings().frameDurationOverrideEnabled)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT MuxInputPin::BreakConnect()
{
    TimeShiftOutputPin* output = m_mux->OutputPin(m_stream);
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
    return m_mux->Mux()->Receive(m_stream, sample);
}

STDMETHODIMP MuxInputPin::EndOfStream()
{
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK)
        return hr;
    m_mux->Mux()->EndOfStream(m_stream);
    return S_OK;
}

bool MuxInputPin::ConnectedVideoFormat(trelvox::VideoFormat* format) const
{
    return IsConnected() && ReadVideoFormat(CurrentMediaType(), format) == S_OK;
}

bool MuxInputPin::ConnectedAudioFormat(trelvox::AudioFormat* format) const
{
    return IsConnected() && ReadAudioFormat(CurrentMediaType(), format) == S_OK;
}
