#include "MuxGraphSupport.h"

#include "TestFilters.h"

HRESULT BindMuxByMoniker(IBaseFilter** filter)
{
    ComPtr<IBindCtx> context;
    HRESULT hr = CreateBindCtx(0, &context);
    if (FAILED(hr))
        return hr;
    ComPtr<IMoniker> moniker;
    ULONG eaten = 0;
    hr = MkParseDisplayName(context.Get(), kMuxMonikerName, &eaten, &moniker);
    if (FAILED(hr))
        return hr;
    return moniker->BindToObject(context.Get(), nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
}

ComPtr<IPin> PinByName(IBaseFilter* filter, const wchar_t* name)
{
    ComPtr<IPin> pin;
    filter->FindPin(name, &pin);
    return pin;
}

std::wstring RecordingPath(const wchar_t* name)
{
    CreateDirectoryW(L"recordings", nullptr);
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW((std::wstring(L"recordings\\") + name).c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::wstring NumberedFile(const std::wstring& base, int index)
{
    std::wstring digits = std::to_wstring(index);
    digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, L'0');
    return base + digits + L".avi";
}

void DeleteRecording(const std::wstring& base)
{
    for (int i = 0; i < 40; ++i)
        DeleteFileW(NumberedFile(base, i).c_str());
    DeleteFileW((base + L".avi").c_str());
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HRESULT MuxGraph::Create()
{
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
    if (FAILED(hr))
        return hr;
    graph.As(&control);
    graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(events.GetAddressOf()));
    // Our EC_COMPLETE reaches the queue as it is, not counted against renderers.
    return events->CancelDefaultHandling(EC_COMPLETE);
}

HRESULT MuxGraph::Build(IBaseFilter* source, IBaseFilter* mux)
{
    HRESULT hr = Create();
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = graph->AddFilter(source, L"Test Source")) || FAILED(hr = graph->AddFilter(mux, L"Pelkor AVI Mux")))
        return hr;
    for (const wchar_t* name : {L"Video", L"Audio"}) {
        ComPtr<IPin> out = PinByName(source, name);
        if (!out)
            continue;
        hr = graph->ConnectDirect(out.Get(), PinByName(mux, name).Get(), nullptr);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

void MuxGraph::DrainEvents()
{
    while (WaitForEvent(-1, 0)) {
    }
}

bool MuxGraph::WaitForEvent(long code, DWORD timeoutMs, LONG_PTR* param1)
{
    // Short polls: Wine's GetEvent may give up before its timeout.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        long got = 0;
        LONG_PTR p1 = 0, p2 = 0;
        if (events->GetEvent(&got, &p1, &p2, 20) == S_OK) {
            events->FreeEventParams(got, p1, p2);
            if (code == -1 || got == code) {
                if (param1)
                    *param1 = p1;
                return true;
            }
        }
    } while (GetTickCount64() < deadline);
    return false;
}

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
