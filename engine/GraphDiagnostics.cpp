#include "GraphDiagnostics.h"

#include <wrl/client.h>

#include <cstdint>
#include <cwchar>

using Microsoft::WRL::ComPtr;

namespace {

constexpr size_t kRotNameChars = 128;

}  // namespace

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
