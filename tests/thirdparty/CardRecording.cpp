#include "CardRecording.h"

#include "IMuxConfig.h"
#include "MuxGraphSupport.h"
#include "CardCaptureGraph.h"
#include "CardTestSupport.h"
#include "StandinGraph.h"

namespace {

// Capture pin -> compressor input; compressor output -> the mux's pin of that name.
HRESULT ConnectThrough(CaptureGraph& card, const wchar_t* capturePin, IBaseFilter* compressor, IBaseFilter* mux,
                       const wchar_t* muxPin, const AM_MEDIA_TYPE* output)
{
    ComPtr<IPin> target = PinByName(mux, muxPin);
    if (!compressor)
        return card.graph->ConnectDirect(PinNamed(card.capture.Get(), capturePin).Get(), target.Get(), nullptr);
    HRESULT hr = card.graph->AddFilter(compressor, muxPin);
    if (SUCCEEDED(hr))
        hr = card.graph->ConnectDirect(PinNamed(card.capture.Get(), capturePin).Get(),
                                       FirstPin(compressor, PINDIR_INPUT).Get(), nullptr);
    ComPtr<IPin> compressorOutput = FirstPin(compressor, PINDIR_OUTPUT);
    if (SUCCEEDED(hr) && output) {
        ComPtr<IAMStreamConfig> config;
        hr = compressorOutput.As(&config);
        if (SUCCEEDED(hr))
            hr = config->SetFormat(const_cast<AM_MEDIA_TYPE*>(output));
    }
    if (SUCCEEDED(hr))
        hr = card.graph->ConnectDirect(compressorOutput.Get(), target.Get(), nullptr);
    return hr;
}

}  // namespace

HRESULT SelectAudioRate(IBaseFilter* capture, DWORD rate)
{
    ComPtr<IAMStreamConfig> config;
    HRESULT hr = PinNamed(capture, L"Audio Capture").As(&config);
    if (FAILED(hr))
        return hr;
    int count = 0, size = 0;
    hr = config->GetNumberOfCapabilities(&count, &size);
    for (int i = 0; SUCCEEDED(hr) && i < count; ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        AUDIO_STREAM_CONFIG_CAPS caps{};
        if (config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)) != S_OK)
            continue;
        const bool wanted = WaveFormat(type).nSamplesPerSec == rate;
        if (wanted)
            hr = config->SetFormat(type);
        DeleteType(type);
        if (wanted)
            return hr;
    }
    return FAILED(hr) ? hr : E_FAIL;
}

HRESULT RecordCard(const std::wstring& base, IBaseFilter* video, IBaseFilter* audio, const AM_MEDIA_TYPE* audioOutput,
                   DWORD ms, const CardInput& input, MuxCounts* counts)
{
    ResetCard();
    SetCardValue(L"Input", input.input);
    DeleteRecording(base);
    CaptureGraph card;
    if (!card.control)
        return E_FAIL;
    HRESULT hr = SelectFormat(card.capture.Get(), L"Video Capture", input.width, input.height, input.frame);
    if (SUCCEEDED(hr))
        hr = SelectAudioRate(card.capture.Get(), input.audioRate);
    ComPtr<IBaseFilter> mux;
    if (SUCCEEDED(hr))
        hr = BindMuxByMoniker(&mux);
    ComPtr<IMuxConfig> config;
    if (SUCCEEDED(hr))
        hr = mux.As(&config);
    if (SUCCEEDED(hr) && input.maxFileMegabytes != 0)
        hr = config->SetMaxFileSize(input.maxFileMegabytes);
    ComPtr<IFileSinkFilter> sink;
    if (SUCCEEDED(hr))
        hr = mux.As(&sink);
    if (SUCCEEDED(hr))
        hr = sink->SetFileName(base.c_str(), nullptr);
    if (SUCCEEDED(hr))
        hr = card.Add(mux.Get(), L"Mux");
    if (SUCCEEDED(hr))
        hr = ConnectThrough(card, L"Video Capture", video, mux.Get(), L"Video", nullptr);
    if (SUCCEEDED(hr))
        hr = ConnectThrough(card, L"Audio Capture", audio, mux.Get(), L"Audio", audioOutput);
    if (SUCCEEDED(hr))
        hr = card.control->Run();
    if (FAILED(hr))
        return hr;
    Sleep(ms);
    hr = card.control->Stop();
    if (SUCCEEDED(hr) && counts)
        hr = config->GetCounts(&counts->videoFrames, &counts->audioBuffers, &counts->droppedFrames,
                               &counts->audioBlocks);
    ResetCard();
    return hr;
}
