#include "GraphDiagnostics.h"

#include "CaptureGraph.h"

#include "dshowbase/TaskMemory.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdint>
#include <cwchar>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kFrameX = 30;
constexpr int kFrameY = 30;
constexpr size_t kRotNameChars = 128;

}  // namespace

HRESULT ShowObjectPages(IUnknown* object, HWND owner)
{
    if (!object)
        return E_POINTER;
    ComPtr<ISpecifyPropertyPages> specify;
    HRESULT hr = object->QueryInterface(IID_PPV_ARGS(&specify));
    if (FAILED(hr))
        return hr;
    CAUUID pages{};
    hr = specify->GetPages(&pages);
    if (FAILED(hr))
        return hr;
    const CTaskMemory<GUID> pageIds(pages.pElems);
    IUnknown* objects[] = {object};
    return OleCreatePropertyFrame(owner, kFrameX, kFrameY, nullptr, 1, objects, pages.cElems, pageIds.Get(), 0, 0,
                                  nullptr);
}

HRESULT FindCaptureInterface(ICaptureGraphBuilder2* builder, IBaseFilter* capture, const GUID& category, REFIID riid,
                             IUnknown** found)
{
    if (!builder || !capture)
        return E_FAIL;
    void** out = reinterpret_cast<void**>(found);
    HRESULT hr = builder->FindInterface(&category, &MEDIATYPE_Interleaved, capture, riid, out);
    if (FAILED(hr))
        hr = builder->FindInterface(&category, &MEDIATYPE_Video, capture, riid, out);
    return hr;
}

HRESULT RegisterGraph(IUnknown* graph, DWORD& cookie)
{
    cookie = 0;
    if (!graph)
        return E_POINTER;
    ComPtr<IRunningObjectTable> table;
    if (FAILED(GetRunningObjectTable(0, &table)))
        return E_FAIL;
    // Graph viewers know the entries by this name; the address is its low 32 bits.
    wchar_t name[kRotNameChars];
    swprintf(name, kRotNameChars, L"FilterGraph %08x pid %08x",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(graph)), static_cast<unsigned>(GetCurrentProcessId()));
    ComPtr<IMoniker> moniker;
    HRESULT hr = CreateItemMoniker(L"!", name, &moniker);
    if (SUCCEEDED(hr))
        hr = table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, graph, moniker.Get(), &cookie);
    if (FAILED(hr))
        cookie = 0;
    return hr;
}

void RevokeGraph(DWORD& cookie)
{
    if (cookie == 0)
        return;
    ComPtr<IRunningObjectTable> table;
    if (SUCCEEDED(GetRunningObjectTable(0, &table)))
        table->Revoke(cookie);
    cookie = 0;
}

// The property frames of the engine, each opened only for the graph that holds its object.

HRESULT CCaptureGraph::ShowCrossbarPages(HWND owner)
{
    ComPtr<IUnknown> crossbar;
    const HRESULT hr = FindCaptureInterface(parts_.builder.Get(), parts_.captureFilter.Get(), PIN_CATEGORY_CAPTURE,
                                            IID_IAMCrossbar, &crossbar);
    return FAILED(hr) ? hr : ShowObjectPages(crossbar.Get(), owner);
}

HRESULT CCaptureGraph::ShowPinPages(const GUID& category, HWND owner)
{
    ComPtr<IUnknown> config;
    const HRESULT hr =
        FindCaptureInterface(parts_.builder.Get(), parts_.captureFilter.Get(), category, IID_IAMStreamConfig, &config);
    return FAILED(hr) ? hr : ShowObjectPages(config.Get(), owner);
}

HRESULT CCaptureGraph::ShowPreviewPinPages(HWND owner)
{
    return ShowPinPages(PIN_CATEGORY_PREVIEW, owner);
}

HRESULT CCaptureGraph::ShowCapturePinPages(HWND owner)
{
    return ShowPinPages(PIN_CATEGORY_CAPTURE, owner);
}

HRESULT CCaptureGraph::ShowFilterPages(IBaseFilter* filter, HWND owner)
{
    if (!parts_.builder || !filter)
        return E_FAIL;
    return ShowObjectPages(filter, owner);
}

HRESULT CCaptureGraph::ShowCaptureFilterPages(HWND owner)
{
    return ShowFilterPages(parts_.captureFilter.Get(), owner);
}

HRESULT CCaptureGraph::ShowVideoRendererPages(HWND owner)
{
    return ShowFilterPages(parts_.videoRenderer.Get(), owner);
}

HRESULT CCaptureGraph::ShowAudioRendererPages(HWND owner)
{
    return ShowFilterPages(parts_.audioRenderer.Get(), owner);
}

HRESULT CCaptureGraph::ShowMultiplexerPages(HWND owner)
{
    return ShowFilterPages(parts_.multiplexer.Get(), owner);
}
