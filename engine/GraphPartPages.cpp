#include "GraphPartPages.h"

#include "GraphDiagnostics.h"

#include "dshowbase/PropertyFrame.h"

using Microsoft::WRL::ComPtr;

namespace {

// The crossbar or a pin's stream configuration, found through the capture filter's stream.
HRESULT ShowCaptureInterfacePages(const GraphParts& parts, const GUID& category, REFIID riid, HWND owner)
{
    ComPtr<IUnknown> found;
    const HRESULT hr = FindCaptureInterface(parts.builder.Get(), parts.captureFilter.Get(), category, riid, &found);
    return FAILED(hr) ? hr : ShowPropertyFrame(found.Get(), owner);
}

HRESULT ShowFilterPages(const GraphParts& parts, IBaseFilter* filter, HWND owner)
{
    if (!parts.builder || !filter)
        return E_FAIL;
    return ShowPropertyFrame(filter, owner);
}

}  // namespace

HRESULT ShowGraphPartPages(const GraphParts& parts, GraphPart part, HWND owner)
{
    switch (part) {
    case GraphPart::Crossbar:
        return ShowCaptureInterfacePages(parts, PIN_CATEGORY_CAPTURE, IID_IAMCrossbar, owner);
    case GraphPart::PreviewPin:
        return ShowCaptureInterfacePages(parts, PIN_CATEGORY_PREVIEW, IID_IAMStreamConfig, owner);
    case GraphPart::CapturePin:
        return ShowCaptureInterfacePages(parts, PIN_CATEGORY_CAPTURE, IID_IAMStreamConfig, owner);
    case GraphPart::CaptureFilter:
        return ShowFilterPages(parts, parts.captureFilter.Get(), owner);
    case GraphPart::VideoRenderer:
        return ShowFilterPages(parts, parts.videoRenderer.Get(), owner);
    case GraphPart::AudioRenderer:
        return ShowFilterPages(parts, parts.audioRenderer.Get(), owner);
    case GraphPart::Multiplexer:
        return ShowFilterPages(parts, parts.multiplexer.Get(), owner);
    }
    return E_INVALIDARG;
}
