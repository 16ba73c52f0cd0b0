// Records into the multiplexer until the process is killed.
// Usage: trelvox_record_child <output name without extension> [card <mux mode>]
// Without "card" an endless test stream is recorded in mux mode 0; with it, the video and
// audio capture pins of the simulated card, in the given mode.
#include <cstdio>
#include <cwchar>
#include <string>  // before dshow.h, whose strsafe.h renames the wide printf functions

#include "DeviceDiscovery.h"
#include "IMuxConfig.h"
#include "MuxGraphSupport.h"

namespace {

enum ChildExit { kUsage = 2, kNoMux = 3, kNoGraph = 4, kNoCard = 5 };

HRESULT BuildCardGraph(MuxGraph& graph, IBaseFilter* mux)
{
    ComPtr<IBaseFilter> card;
    HRESULT hr = FindCardCaptureFilter(&card);
    if (FAILED(hr) || FAILED(hr = graph.Create()) || FAILED(hr = graph.graph->AddFilter(card.Get(), L"Card")) ||
        FAILED(hr = graph.graph->AddFilter(mux, L"Pelkor AVI Mux")))
        return hr;
    const struct {
        const wchar_t* from;
        const wchar_t* to;
    } links[] = {{L"Video Capture", L"Video"}, {L"Audio Capture", L"Audio"}};
    for (const auto& link : links) {
        hr = graph.graph->ConnectDirect(PinByName(card.Get(), link.from).Get(), PinByName(mux, link.to).Get(), nullptr);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool fromCard = argc == 4 && std::wcscmp(argv[2], L"card") == 0;
    if (argc != 2 && !fromCard)
        return kUsage;
    const DWORD mode = fromCard ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : 0;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<IBaseFilter> mux;
    ComPtr<IFileSinkFilter> sink;
    ComPtr<IMuxConfig> config;
    if (FAILED(BindMuxByMoniker(&mux)) || FAILED(mux.As(&sink)) || FAILED(mux.As(&config)) ||
        FAILED(config->SetMuxMode(mode)) || FAILED(sink->SetFileName(argv[1], nullptr)))
        return kNoMux;
    MuxGraph graph;
    ComPtr<IBaseFilter> sourceRef;
    if (fromCard) {
        if (FAILED(BuildCardGraph(graph, mux.Get())))
            return kNoCard;
    } else {
        StreamPlan endless;
        endless.count = -1;
        MuxTestSource* source = MuxTestSource::Create(720, 480, endless, endless);
        sourceRef = source;
        if (FAILED(graph.Build(source, mux.Get())))
            return kNoGraph;
    }
    if (FAILED(graph.control->Run()))
        return kNoGraph;
    std::printf("recording\n");
    std::fflush(stdout);
    for (;;)
        Sleep(1000);
}
