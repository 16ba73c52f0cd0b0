// The filter graph around the card and the references a built graph adds to
// it. The graph builders fill them in; the tear-down releases the per-graph ones.
#pragma once

#include <windows.h>
#include <dshow.h>
#include "DShowUuids.h"
#include <wrl/client.h>

struct GraphParts {
    // Kept from Open until destruction.
    Microsoft::WRL::ComPtr<ICaptureGraphBuilder2> builder;
    Microsoft::WRL::ComPtr<IGraphBuilder> graph;
    Microsoft::WRL::ComPtr<IBaseFilter> captureFilter;
    // Per built graph.
    Microsoft::WRL::ComPtr<IVideoWindow> videoWindow;
    Microsoft::WRL::ComPtr<IMediaControl> mediaControl;
    Microsoft::WRL::ComPtr<IMediaSeeking> mediaSeeking;
    Microsoft::WRL::ComPtr<IBaseFilter> videoRenderer;
    Microsoft::WRL::ComPtr<IBaseFilter> audioRenderer;
    Microsoft::WRL::ComPtr<IQualProp> quality;
    Microsoft::WRL::ComPtr<IMediaEventEx> mediaEvents;
    Microsoft::WRL::ComPtr<IBaseFilter> multiplexer;  // record graph only

    // Creates the filter (in-process) and adds it to the graph under `name`.
    HRESULT AddFilter(const CLSID& clsid, const wchar_t* name, IBaseFilter** filter);
    // Media control, media seeking unless told not to, and the events posted to the window.
    HRESULT TakeControls(bool withSeeking, HWND notifyWindow, UINT message);
};
