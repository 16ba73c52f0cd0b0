#include "GraphParts.h"

HRESULT GraphParts::AddFilter(const CLSID& clsid, const wchar_t* name, IBaseFilter** filter)
{
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(filter));
    if (FAILED(hr))
        return hr;
    hr = graph->AddFilter(*filter, name);
    if (FAILED(hr)) {
        (*filter)->Release();
        *filter = nullptr;
    }
    return hr;
}

HRESULT GraphParts::TakeControls(bool withSeeking, HWND notifyWindow, UINT message)
{
    HRESULT hr = graph.As(&mediaControl);
    if (SUCCEEDED(hr) && withSeeking)
        hr = graph.As(&mediaSeeking);
    if (SUCCEEDED(hr))
        hr = graph.As(&mediaEvents);
    if (SUCCEEDED(hr))
        hr = mediaEvents->SetNotifyWindow(reinterpret_cast<OAHWND>(notifyWindow), message, 0);
    return hr;
}
