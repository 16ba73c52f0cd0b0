#include "RecordingBench.h"

#include <cstdio>

#include <qedit.h>

#include "../engine/DShowUuids.h"

#include "BenchSource.h"
#include "IMuxConfig.h"
#include "IMuxTimeShift.h"
#include "MuxGraphSupport.h"

namespace {

constexpr DWORD kRecordingTimeoutMs = 60 * 60 * 1000;

// Waits for EC_COMPLETE; an abort or the timeout is a failure.
HRESULT WaitForEnd(MuxGraph& graph)
{
    const ULONGLONG deadline = GetTickCount64() + kRecordingTimeoutMs;
    while (GetTickCount64() < deadline) {
        long code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        if (graph.events->GetEvent(&code, &p1, &p2, 100) != S_OK)
            continue;
        graph.events->FreeEventParams(code, p1, p2);
        if (code == EC_COMPLETE)
            return S_OK;
        if (code == EC_ERRORABORT)
            return FAILED(static_cast<HRESULT>(p1)) ? static_cast<HRESULT>(p1) : E_FAIL;
    }
    return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
}

// No reference clock: the source pushes as fast as the writer takes its samples.
HRESULT Unthrottle(MuxGraph& graph)
{
    ComPtr<IMediaFilter> filter;
    const HRESULT hr = graph.graph.As(&filter);
    return FAILED(hr) ? hr : filter->SetSyncSource(nullptr);
}

// Runs the graph to its end and stops it, timing all of it. Without a clock unless asked;
// `play` starts playback right after Run.
HRESULT RunTimed(MuxGraph& graph, RecordingResult* result, IMuxConfig* config, bool keepClock = false,
                 IMuxTimeShift* play = nullptr)
{
    HRESULT hr = keepClock ? S_OK : Unthrottle(graph);
    if (FAILED(hr))
        return hr;
    BenchClock clock;
    clock.Start();
    hr = graph.control->Run();
    if (SUCCEEDED(hr) && play)
        hr = play->Play(100);
    if (SUCCEEDED(hr))
        hr = WaitForEnd(graph);
    DWORD blocks = 0;
    if (SUCCEEDED(hr) && config)
        hr = config->GetCounts(&result->videoFrames, &result->audioBuffers, &result->droppedFrames, &blocks);
    const HRESULT stopped = graph.control->Stop();
    result->figures = clock.Elapsed();
    return FAILED(hr) ? hr : stopped;
}

// Counts what a "~" pin delivers.
class DeliveryCounter : public GrabberCallback {
public:
    STDMETHODIMP SampleCB(double, IMediaSample*) override
    {
        InterlockedIncrement(&count);
        return S_OK;
    }

    volatile LONG count = 0;
};

ComPtr<IPin> FreeInputPin(IBaseFilter* filter)
{
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)))
        return nullptr;
    for (ComPtr<IPin> pin; pins->Next(1, &pin, nullptr) == S_OK; pin.Reset()) {
        PIN_DIRECTION direction;
        ComPtr<IPin> peer;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_INPUT &&
            pin->ConnectedTo(&peer) == VFW_E_NOT_CONNECTED)
            return pin;
    }
    return nullptr;
}

ComPtr<IPin> OutputPin(IBaseFilter* filter)
{
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)))
        return nullptr;
    for (ComPtr<IPin> pin; pins->Next(1, &pin, nullptr) == S_OK; pin.Reset()) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT)
            return pin;
    }
    return nullptr;
}

HRESULT BuildAviDestGraph(MuxGraph& graph, IBaseFilter* source, const std::wstring& file)
{
    ComPtr<IBaseFilter> mux, writer;
    ComPtr<IFileSinkFilter> sink;
    HRESULT hr;
    if (FAILED(hr = graph.Create()) ||
        FAILED(hr = CoCreateInstance(CLSID_AviDest, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mux))) ||
        FAILED(hr = CoCreateInstance(CLSID_FileWriter, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&writer))) ||
        FAILED(hr = writer.As(&sink)) || FAILED(hr = sink->SetFileName(file.c_str(), nullptr)) ||
        FAILED(hr = graph.graph->AddFilter(source, L"Bench Source")) ||
        FAILED(hr = graph.graph->AddFilter(mux.Get(), L"AVI Mux")) ||
        FAILED(hr = graph.graph->AddFilter(writer.Get(), L"File Writer")))
        return hr;
    // The mux offers a new input pin each time one is connected.
    for (const wchar_t* name : {L"Video", L"Audio"}) {
        ComPtr<IPin> in = FreeInputPin(mux.Get());
        if (!in)
            return VFW_E_NO_ACCEPTABLE_TYPES;
        if (FAILED(hr = graph.graph->ConnectDirect(PinByName(source, name).Get(), in.Get(), nullptr))) {
            std::fwprintf(stderr, L"AVI Mux refused the %ls pin (0x%08lx)\n", name, static_cast<unsigned long>(hr));
            return hr;
        }
    }
    return graph.graph->ConnectDirect(OutputPin(mux.Get()).Get(), FreeInputPin(writer.Get()).Get(), nullptr);
}

// "~" pin -> Sample Grabber (counting) -> Null Renderer.
HRESULT ConnectPlayback(MuxGraph& graph, IPin* pin, DeliveryCounter& counter)
{
    ComPtr<IBaseFilter> grabberFilter, renderer;
    ComPtr<ISampleGrabber> grabber;
    HRESULT hr;
    if (FAILED(
            hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&grabberFilter))) ||
        FAILED(hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer))) ||
        FAILED(hr = grabberFilter.As(&grabber)) || FAILED(hr = grabber->SetCallback(&counter, 0)) ||
        FAILED(hr = graph.graph->AddFilter(grabberFilter.Get(), nullptr)) ||
        FAILED(hr = graph.graph->AddFilter(renderer.Get(), nullptr)) ||
        FAILED(hr = graph.graph->ConnectDirect(pin, FreeInputPin(grabberFilter.Get()).Get(), nullptr)))
        return hr;
    return graph.graph->ConnectDirect(OutputPin(grabberFilter.Get()).Get(), FreeInputPin(renderer.Get()).Get(),
                                      nullptr);
}

}  // namespace

HRESULT RecordWithTrelvoxLive(DWORD mode, const RecordingPlan& plan, const std::wstring& base, bool playback,
                              RecordingResult* result)
{
    ComPtr<IBaseFilter> mux;
    ComPtr<IFileSinkFilter> sink;
    ComPtr<IMuxConfig> config;
    ComPtr<IMuxTimeShift> timeShift;
    HRESULT hr;
    if (FAILED(hr = BindMuxByMoniker(&mux)) || FAILED(hr = mux.As(&sink)) || FAILED(hr = mux.As(&config)) ||
        FAILED(hr = mux.As(&timeShift)) || FAILED(hr = config->SetMuxMode(mode)) ||
        FAILED(hr = sink->SetFileName(base.c_str(), nullptr)))
        return hr;
    ComPtr<IBaseFilter> source = BenchSource::Create(plan.videoFrames, plan.audioBuffers, plan.paced);
    MuxGraph graph;
    DeliveryCounter video, audio;
    if (FAILED(hr = graph.Build(source.Get(), mux.Get())))
        return hr;
    if (playback && (FAILED(hr = ConnectPlayback(graph, PinByName(mux.Get(), L"~Video").Get(), video)) ||
                     FAILED(hr = ConnectPlayback(graph, PinByName(mux.Get(), L"~Audio").Get(), audio))))
        return hr;
    hr = RunTimed(graph, result, config.Get(), true, playback ? timeShift.Get() : nullptr);
    result->playedFrames = static_cast<DWORD>(video.count);
    result->playedAudio = static_cast<DWORD>(audio.count);
    return hr;
}

HRESULT RecordWithTrelvox(DWORD mode, const RecordingPlan& plan, const std::wstring& base, RecordingResult* result)
{
    ComPtr<IBaseFilter> mux;
    ComPtr<IFileSinkFilter> sink;
    ComPtr<IMuxConfig> config;
    HRESULT hr;
    if (FAILED(hr = BindMuxByMoniker(&mux)) || FAILED(hr = mux.As(&sink)) || FAILED(hr = mux.As(&config)) ||
        FAILED(hr = config->SetMuxMode(mode)) || FAILED(hr = sink->SetFileName(base.c_str(), nullptr)))
        return hr;
    ComPtr<IBaseFilter> source = BenchSource::Create(plan.videoFrames, plan.audioBuffers);
    MuxGraph graph;
    if (FAILED(hr = graph.Build(source.Get(), mux.Get())))
        return hr;
    return RunTimed(graph, result, config.Get());
}

HRESULT RecordWithAviDest(const RecordingPlan& plan, const std::wstring& file, RecordingResult* result)
{
    ComPtr<IBaseFilter> source = BenchSource::Create(plan.videoFrames, plan.audioBuffers);
    MuxGraph graph;
    const HRESULT hr = BuildAviDestGraph(graph, source.Get(), file);
    if (FAILED(hr))
        return hr;
    result->videoFrames = static_cast<DWORD>(plan.videoFrames);
    result->audioBuffers = static_cast<DWORD>(plan.audioBuffers);
    return RunTimed(graph, result, nullptr);
}
