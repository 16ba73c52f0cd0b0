#include "RecordGraphBuilder.h"

#include "AudioOutputFormat.h"
#include "GraphEdit.h"
#include "MuxFileName.h"
#include "PinQueries.h"
#include "PreviewGraphBuilder.h"
#include "WaveFormatMatch.h"

#include "dshowbase/MediaType.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kUncompressedAudio[] = L"PCM";

// The format block of a connection's type when it is a WAVEFORMATEX; else none.
std::vector<std::uint8_t> WaveFormatOf(const AM_MEDIA_TYPE& type)
{
    if (type.formattype != FORMAT_WaveFormatEx || !type.pbFormat || type.cbFormat == 0)
        return {};
    return std::vector<std::uint8_t>(type.pbFormat, type.pbFormat + type.cbFormat);
}

}  // namespace

HRESULT RecordGraphBuilder::Build(const BuildSettings& settings, const std::wstring& fileName, RecordOutcome& outcome)
{
    RecordProfile profile;
    HRESULT hr = ReadRecordProfile(c_.setup.recordProfilePath, profile);
    if (FAILED(hr))
        return hr;
    const RecordOptions& options = profile.options;
    outcome.previewBranch = options.noPreviewWhileRecording == 0;
    outcome.runLoadThread = options.loadThreadWhileRecording != 0;
    outcome.priorityClass = options.priorityClass;

    PreviewGraphBuilder preview(c_);
    if (outcome.previewBranch) {
        hr = preview.RendererStep(settings, -1, true, outcome.preview);
        if (FAILED(hr))
            return hr;
    }
    hr = AddMultiplexer(profile.mux);
    if (SUCCEEDED(hr))
        hr = SetFileName(profile.mux, fileName);
    if (SUCCEEDED(hr))
        hr = RenderVideo(profile.videoCompressor);
    if (SUCCEEDED(hr))
        hr = InsertSampleGrabber(c_.parts.builder.Get(), c_.parts.captureFilter.Get(), PIN_CATEGORY_CAPTURE,
                                 MEDIATYPE_Video, &c_.videoCallback, L"Video Sample Grabber");
    if (SUCCEEDED(hr))
        hr = RenderAudio(profile.audioCompressor, outcome.preview.useInfTee != 0);
    if (SUCCEEDED(hr) && profile.audioCompressor.filter && !profile.audioFormats.empty())
        hr = ApplyAudioOutputFormat(profile.audioCompressor.filter.Get(), profile.audioFormats);
    if (SUCCEEDED(hr) && outcome.previewBranch)
        hr = preview.InsertStillImageGrabber();
    if (FAILED(hr))
        return hr;

    // Without a preview Trelvox's graph has no clock-driven renderer to seek by.
    const bool trelvox = profile.mux.displayName == engine::kTrelvoxMoniker;
    hr = c_.parts.TakeControls(outcome.previewBranch || !trelvox, c_.setup.notifyWindow, c_.setup.graphEventMessage);
    if (SUCCEEDED(hr))
        hr = InsertSampleGrabber(c_.parts.builder.Get(), c_.parts.captureFilter.Get(), PIN_CATEGORY_CAPTURE,
                                 MEDIATYPE_Audio, &c_.audioCallback, L"Audio Sample Grabber");
    if (FAILED(hr))
        return hr;
    c_.audioCallback.SetChannelSwap(options.swapAudioChannels != 0);
    return S_OK;
}

HRESULT RecordGraphBuilder::AddMultiplexer(const FilterEntry& mux)
{
    if (!mux.filter)
        return E_FAIL;
    const HRESULT hr = c_.parts.graph->AddFilter(mux.filter.Get(), mux.friendlyName.c_str());
    if (FAILED(hr))
        return hr;
    c_.parts.multiplexer = mux.filter;
    c_.report.multiplexer = mux.friendlyName;
    return S_OK;
}

// A multiplexer that cannot write files gets a File Writer behind it, named before it
// is connected (a File Writer without a name refuses the connection).
HRESULT RecordGraphBuilder::SetFileName(const FilterEntry& mux, const std::wstring& fileName)
{
    GraphParts& parts = c_.parts;
    const std::wstring name = engine::MuxFileName(mux.displayName, fileName);
    ComPtr<IFileSinkFilter> sink;
    if (SUCCEEDED(parts.multiplexer.As(&sink)))
        return sink->SetFileName(name.c_str(), nullptr);
    ComPtr<IBaseFilter> writer;
    HRESULT hr = parts.AddFilter(CLSID_FileWriter, nullptr, &writer);
    if (FAILED(hr))
        return hr;
    hr = writer.As(&sink);
    if (SUCCEEDED(hr))
        hr = sink->SetFileName(name.c_str(), nullptr);
    if (SUCCEEDED(hr)) {
        ComPtr<IPin> out = FirstUnconnectedPin(parts.multiplexer.Get(), PINDIR_OUTPUT);
        ComPtr<IPin> in = FirstUnconnectedPin(writer.Get(), PINDIR_INPUT);
        hr = out && in ? parts.graph->Connect(out.Get(), in.Get()) : E_FAIL;
    }
    if (FAILED(hr))
        parts.graph->RemoveFilter(writer.Get());
    return hr;
}

HRESULT RecordGraphBuilder::AddCompressor(const FilterEntry& compressor)
{
    if (!compressor.filter)
        return S_OK;
    return c_.parts.graph->AddFilter(compressor.filter.Get(), compressor.friendlyName.c_str());
}

HRESULT RecordGraphBuilder::RenderVideo(const FilterEntry& compressor)
{
    HRESULT hr = AddCompressor(compressor);
    if (FAILED(hr))
        return hr;
    if (compressor.filter)
        c_.report.videoCompressor = compressor.friendlyName;
    return c_.parts.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, c_.parts.captureFilter.Get(),
                                          compressor.filter.Get(), c_.parts.multiplexer.Get());
}

// With the Inf Tee option the audio leaves from the filter behind the card's
// audio output, else from the card's audio capture pin.
HRESULT RecordGraphBuilder::RenderAudio(const FilterEntry& compressor, bool fromAudioPeer)
{
    GraphParts& parts = c_.parts;
    HRESULT hr = AddCompressor(compressor);
    if (FAILED(hr))
        return hr;
    c_.report.audioCompressor = compressor.filter ? compressor.friendlyName : kUncompressedAudio;
    if (!fromAudioPeer)
        return parts.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, parts.captureFilter.Get(),
                                           compressor.filter.Get(), parts.multiplexer.Get());
    ComPtr<IPin> audioOut, peer;
    hr = parts.builder->FindPin(parts.captureFilter.Get(), PINDIR_OUTPUT, nullptr, &MEDIATYPE_Audio, FALSE, 0,
                                &audioOut);
    if (SUCCEEDED(hr))
        hr = audioOut->ConnectedTo(&peer);
    if (FAILED(hr))
        return hr;
    ComPtr<IBaseFilter> source = OwnerOf(peer.Get());
    if (!source)
        return E_FAIL;
    return parts.builder->RenderStream(nullptr, &MEDIATYPE_Audio, source.Get(), compressor.filter.Get(),
                                       parts.multiplexer.Get());
}

// The list entry for the compressor's connected input gives its output format.
HRESULT RecordGraphBuilder::ApplyAudioOutputFormat(IBaseFilter* compressor, const std::vector<AudioFormatPair>& formats)
{
    GraphParts& parts = c_.parts;
    ComPtr<IPin> input, output, upstream;
    HRESULT hr = parts.builder->FindPin(compressor, PINDIR_INPUT, nullptr, nullptr, FALSE, 0, &input);
    if (SUCCEEDED(hr))
        hr = parts.builder->FindPin(compressor, PINDIR_OUTPUT, nullptr, nullptr, FALSE, 0, &output);
    if (SUCCEEDED(hr))
        hr = input->ConnectedTo(&upstream);
    CMediaType connection;
    if (SUCCEEDED(hr))
        hr = upstream->ConnectionMediaType(&connection);
    if (FAILED(hr))
        return hr;
    const std::vector<std::uint8_t> connected = WaveFormatOf(connection);
    const AudioFormatPair* entry = nullptr;
    for (const AudioFormatPair& pair : formats) {
        if (engine::SameWaveFormat(pair.input, connected)) {
            entry = &pair;
            break;
        }
    }
    // No entry, or one without an output format: the compressor stays as connected.
    if (!entry || entry->output.empty())
        return S_OK;

    ComPtr<IPin> downstream;
    ComPtr<IAMStreamConfig> config;
    CMediaType wanted;
    hr = output->ConnectedTo(&downstream);
    if (SUCCEEDED(hr))
        hr = parts.graph->Disconnect(output.Get());
    if (SUCCEEDED(hr))
        hr = parts.graph->Disconnect(downstream.Get());
    if (SUCCEEDED(hr))
        hr = output.As(&config);
    if (SUCCEEDED(hr))
        hr = AudioMediaTypeFromFormat(entry->output, wanted);
    if (SUCCEEDED(hr))
        hr = config->SetFormat(&wanted);
    if (SUCCEEDED(hr))
        hr = parts.graph->Connect(output.Get(), downstream.Get());
    if (FAILED(hr))
        return hr;
    c_.report.formatDescription = DescribeAudioFormat(entry->output);
    return S_OK;
}
