#include "SplitterPlayback.h"

#include "MuxGraphSupport.h"
#include "TestFilters.h"

int FramesPlayedBack(const std::wstring& file)
{
    ComPtr<IGraphBuilder> graph;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph))))
        return -1;
    ComPtr<IBaseFilter> reader, splitter;
    if (FAILED(graph->AddSourceFilter(file.c_str(), L"Reader", &reader)))
        return -2;
    if (FAILED(CoCreateInstance(CLSID_AviSplitter, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&splitter))) ||
        FAILED(graph->AddFilter(splitter.Get(), L"AVI Splitter")))
        return -3;
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> readerOut;
    reader->EnumPins(&pins);
    pins->Next(1, &readerOut, nullptr);
    ComPtr<IEnumPins> splitterPins;
    splitter->EnumPins(&splitterPins);
    ComPtr<IPin> splitterIn;
    splitterPins->Next(1, &splitterIn, nullptr);
    if (FAILED(graph->ConnectDirect(readerOut.Get(), splitterIn.Get(), nullptr)))
        return -4;

    HRESULT hr = S_OK;
    auto* counter = new TestSink(nullptr, &hr);
    ComPtr<IBaseFilter> counterRef = counter;
    graph->AddFilter(counter, L"Counter");
    bool connected = false;
    splitterPins.Reset();
    splitter->EnumPins(&splitterPins);
    for (ComPtr<IPin> pin; splitterPins->Next(1, &pin, nullptr) == S_OK; pin.Reset()) {
        PIN_DIRECTION dir;
        pin->QueryDirection(&dir);
        if (dir == PINDIR_OUTPUT && !connected)
            connected = SUCCEEDED(graph->ConnectDirect(pin.Get(), counter->InputPin(), nullptr));
    }
    if (!connected)
        return -5;
    ComPtr<IMediaControl> control;
    graph.As(&control);
    if (FAILED(control->Run()))
        return -6;
    for (int waited = 0; counter->EndOfStreamCount() == 0 && waited < 120000; waited += 20)
        Sleep(20);
    control->Stop();
    const int frames = static_cast<int>(counter->Samples().size());
    graph->RemoveFilter(counter);
    return frames;
}
