#include "AudioFormatProbe.h"

#include "core/AudioFormatDefaults.h"
#include "engine/AudioOutputFormat.h"
#include "engine/DeviceLists.h"
#include "engine/PinQueries.h"
#include "NullAudioSource.h"

#include "dshowbase/MediaType.h"

#include <dshow.h>
#include <wrl/client.h>

#include <span>

using Microsoft::WRL::ComPtr;

namespace {

// The source and the compressor connected in a graph of their own.
class ProbeGraph {
public:
    HRESULT Connect(const FilterEntry& compressor, const std::vector<std::uint8_t>& input)
    {
        CMediaType type;
        HRESULT hr = AudioMediaTypeFromFormat(input, type);
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph_));
        if (SUCCEEDED(hr))
            hr = CreateNullAudioSource(type, &source_);
        if (SUCCEEDED(hr))
            hr = BindFilterEntry(compressor, &compressor_);
        if (SUCCEEDED(hr))
            hr = graph_->AddFilter(source_.Get(), L"Source");
        if (SUCCEEDED(hr))
            hr = graph_->AddFilter(compressor_.Get(), L"Compressor");
        if (SUCCEEDED(hr))
            hr = ConnectPins();
        if (SUCCEEDED(hr))
            hr = config_ ? S_OK : E_NOINTERFACE;
        return hr;
    }

    IAMStreamConfig* Config() const { return config_.Get(); }

    HRESULT Reconnect() { return ConnectPins(); }
    void Disconnect()
    {
        graph_->Disconnect(sourcePin_.Get());
        graph_->Disconnect(compressorPin_.Get());
    }

    ~ProbeGraph()
    {
        if (!graph_)
            return;
        if (sourcePin_)
            Disconnect();
        for (IBaseFilter* filter : {source_.Get(), compressor_.Get()}) {
            if (filter)
                graph_->RemoveFilter(filter);
        }
    }

private:
    HRESULT ConnectPins()
    {
        if (!sourcePin_)
            sourcePin_ = NthPin(source_.Get(), PINDIR_OUTPUT, 0);
        if (!compressorPin_)
            compressorPin_ = NthPin(compressor_.Get(), PINDIR_INPUT, 0);
        if (!sourcePin_ || !compressorPin_)
            return E_FAIL;
        const HRESULT hr = graph_->ConnectDirect(sourcePin_.Get(), compressorPin_.Get(), nullptr);
        if (SUCCEEDED(hr) && !config_) {
            if (ComPtr<IPin> output = NthPin(compressor_.Get(), PINDIR_OUTPUT, 0))
                output.As(&config_);
        }
        return hr;
    }

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IBaseFilter> source_;
    ComPtr<IBaseFilter> compressor_;
    ComPtr<IPin> sourcePin_;
    ComPtr<IPin> compressorPin_;
    ComPtr<IAMStreamConfig> config_;
};

std::span<const std::uint8_t> FormatBlock(const AM_MEDIA_TYPE& type)
{
    return type.pbFormat ? std::span<const std::uint8_t>(type.pbFormat, type.cbFormat)
                         : std::span<const std::uint8_t>();
}

// An audio type whose block holds its whole WAVEFORMATEX, extra bytes included.
bool IsWaveFormat(const AM_MEDIA_TYPE& type)
{
    return type.majortype == MEDIATYPE_Audio && type.formattype == FORMAT_WaveFormatEx &&
           profiles::HoldsWholeWaveFormat(FormatBlock(type));
}

// The format as stored: 18 + cbSize bytes, without what the block holds beyond it.
std::vector<std::uint8_t> FormatBytes(const AM_MEDIA_TYPE& type)
{
    const std::span<const std::uint8_t> block = FormatBlock(type);
    const std::span<const std::uint8_t> format = block.first(profiles::WaveFormatSize(block));
    return std::vector<std::uint8_t>(format.begin(), format.end());
}

void FillDefaultOutput(AudioFormatPair& pair, const FilterEntry& compressor)
{
    ProbeGraph probe;
    if (FAILED(probe.Connect(compressor, pair.input)))
        return;
    AM_MEDIA_TYPE* offered = nullptr;
    if (FAILED(probe.Config()->GetFormat(&offered)) || !offered)
        return;
    CMediaType type;
    type.Adopt(offered);
    if (!IsWaveFormat(type))
        return;
    pair.output = FormatBytes(type);
    pair.outputText = DescribeAudioFormat(pair.output);
}

}  // namespace

void BuildDefaultAudioFormatList(std::vector<AudioFormatPair>& list, const FilterEntry& compressor)
{
    list = settingsui::DefaultAudioInputs();
    for (AudioFormatPair& pair : list)
        FillDefaultOutput(pair, compressor);
}

std::vector<AudioFormatPair> ListOutputCandidates(const FilterEntry& compressor, const std::vector<std::uint8_t>& input)
{
    std::vector<AudioFormatPair> candidates;
    ProbeGraph probe;
    if (FAILED(probe.Connect(compressor, input)))
        return candidates;
    IAMStreamConfig* config = probe.Config();
    int count = 0, size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size)))
        return candidates;
    std::vector<BYTE> caps(size > 0 ? static_cast<size_t>(size) : 1);
    bool connected = true;
    for (int i = 0; i < count; ++i) {
        // The capabilities follow the input, so each is asked for while connected.
        if (!connected && FAILED(probe.Reconnect()))
            break;
        connected = true;
        AM_MEDIA_TYPE* offered = nullptr;
        if (FAILED(config->GetStreamCaps(i, &offered, caps.data())) || !offered)
            continue;
        CMediaType type;
        type.Adopt(offered);
        if (!IsWaveFormat(type))
            continue;
        // A format is tried while connected; each try ends disconnected and reset.
        const bool accepted = SUCCEEDED(config->SetFormat(&type));
        probe.Disconnect();
        connected = false;
        config->SetFormat(nullptr);
        if (!accepted)
            continue;
        std::vector<std::uint8_t> output = FormatBytes(type);
        std::wstring text = DescribeAudioFormat(output);
        candidates.push_back({input, std::move(output), settingsui::InputFormatText(input), std::move(text)});
    }
    return candidates;
}
