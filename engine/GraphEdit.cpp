#include "GraphEdit.h"

#include "BaseSampleGrabberCB.h"
#include "DShowUuids.h"
#include "PinQueries.h"

#include <qedit.h>
#include <wrl/client.h>

#include <algorithm>

using Microsoft::WRL::ComPtr;

namespace {

// Every pin of the filter, AddRef'ed.
std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter)
{
    std::vector<ComPtr<IPin>> result;
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)))
        return result;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK)
        result.push_back(pin);
    return result;
}

ComPtr<IPin> PeerOf(IPin* pin)
{
    ComPtr<IPin> peer;
    pin->ConnectedTo(&peer);
    return peer;
}

// The renderer's first input pin that is connected, and its peer.
bool ConnectedInput(IBaseFilter* renderer, ComPtr<IPin>& input, ComPtr<IPin>& peer)
{
    for (const auto& pin : PinsOf(renderer)) {
        if (DirectionOf(pin.Get()) != PINDIR_INPUT)
            continue;
        peer = PeerOf(pin.Get());
        if (peer) {
            input = pin;
            return true;
        }
    }
    return false;
}

// Removes every filter downstream of `filter`, disconnecting as it goes.
void RemoveDownstream(IGraphBuilder* graph, IBaseFilter* filter)
{
    for (const auto& pin : PinsOf(filter)) {
        ComPtr<IPin> peer = PeerOf(pin.Get());
        if (!peer || DirectionOf(peer.Get()) != PINDIR_INPUT)
            continue;
        ComPtr<IBaseFilter> downstream = OwnerOf(peer.Get());
        if (!downstream)
            continue;
        RemoveDownstream(graph, downstream.Get());
        graph->Disconnect(peer.Get());
        graph->Disconnect(pin.Get());
        graph->RemoveFilter(downstream.Get());
    }
}

HRESULT DisconnectBoth(IGraphBuilder* graph, IPin* a, IPin* b)
{
    HRESULT hr = graph->Disconnect(a);
    if (SUCCEEDED(hr))
        hr = graph->Disconnect(b);
    return hr;
}

}  // namespace

HRESULT RemoveAllButUpstreamOf(IGraphBuilder* graph, IBaseFilter* kept)
{
    if (!graph || !kept)
        return E_POINTER;
    RemoveDownstream(graph, kept);
    // mingw-w64's ComPtr has no operator==, so the filters are compared by their pointers.
    std::vector<ComPtr<IBaseFilter>> upstream{kept};
    const auto isUpstream = [&](IBaseFilter* filter) {
        return std::any_of(upstream.begin(), upstream.end(),
                           [&](const ComPtr<IBaseFilter>& held) { return held.Get() == filter; });
    };
    for (size_t i = 0; i < upstream.size(); ++i) {
        for (const auto& pin : PinsOf(upstream[i].Get())) {
            ComPtr<IPin> peer = PeerOf(pin.Get());
            if (DirectionOf(pin.Get()) != PINDIR_INPUT || !peer)
                continue;
            ComPtr<IBaseFilter> owner = OwnerOf(peer.Get());
            if (owner && !isUpstream(owner.Get()))
                upstream.push_back(owner);
        }
    }
    std::vector<ComPtr<IBaseFilter>> removed;
    ComPtr<IEnumFilters> filters;
    HRESULT hr = graph->EnumFilters(&filters);
    if (FAILED(hr))
        return hr;
    for (ComPtr<IBaseFilter> filter; filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK;) {
        if (!isUpstream(filter.Get()))
            removed.push_back(filter);
    }
    // What is left was added but never connected to the card, or only to such filters.
    for (const auto& filter : removed) {
        const HRESULT removal = graph->RemoveFilter(filter.Get());
        if (SUCCEEDED(hr))
            hr = removal;
    }
    return hr;
}

void StopEveryFilter(IGraphBuilder* graph)
{
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(&filters)))
        return;
    for (ComPtr<IBaseFilter> filter; filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK;)
        filter->Stop();
}

HRESULT RemoveBetween(IGraphBuilder* graph, IBaseFilter* capture, IBaseFilter* renderer)
{
    ComPtr<IPin> input, upstream;
    if (!ConnectedInput(renderer, input, upstream))
        return S_OK;
    HRESULT hr = DisconnectBoth(graph, input.Get(), upstream.Get());
    ComPtr<IBaseFilter> filter = OwnerOf(upstream.Get());
    while (SUCCEEDED(hr) && filter && filter.Get() != capture) {
        ComPtr<IPin> filterInput, further;
        if (ConnectedInput(filter.Get(), filterInput, further))
            hr = DisconnectBoth(graph, filterInput.Get(), further.Get());
        if (SUCCEEDED(hr))
            hr = graph->RemoveFilter(filter.Get());
        filter = further ? OwnerOf(further.Get()) : nullptr;
    }
    return hr;
}

HRESULT ConnectChain(ICaptureGraphBuilder2* builder, IGraphBuilder* graph, IBaseFilter* capture,
                     const std::vector<IBaseFilter*>& filters, IBaseFilter* renderer)
{
    ComPtr<IPin> rendererInput;
    rendererInput = FirstUnconnectedPin(renderer, PINDIR_INPUT);
    ComPtr<IPin> output;
    HRESULT hr = builder->FindPin(capture, PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, TRUE, 0, &output);
    if (FAILED(hr))
        return hr;
    if (!rendererInput)
        return VFW_E_NO_ACCEPTABLE_TYPES;
    for (IBaseFilter* filter : filters) {
        ComPtr<IPin> input;
        input = FirstUnconnectedPin(filter, PINDIR_INPUT);
        if (!input)
            return VFW_E_NOT_FOUND;
        hr = graph->Connect(output.Get(), input.Get());
        if (FAILED(hr))
            return hr;
        output = FirstUnconnectedPin(filter, PINDIR_OUTPUT);
        if (!output)
            return VFW_E_NOT_FOUND;
    }
    return graph->Connect(output.Get(), rendererInput.Get());
}

HRESULT InsertIntoLink(IGraphBuilder* graph, IBaseFilter* capture, IBaseFilter* renderer, IBaseFilter* filter)
{
    ComPtr<IPin> rendererInput, captureOutput;
    for (int i = 0;; ++i) {
        rendererInput = NthPin(renderer, PINDIR_INPUT, i);
        if (!rendererInput)
            return VFW_E_NOT_FOUND;
        captureOutput = PeerOf(rendererInput.Get());
        if (captureOutput && OwnerOf(captureOutput.Get()).Get() == capture)
            break;
    }
    HRESULT hr = DisconnectBoth(graph, captureOutput.Get(), rendererInput.Get());
    if (FAILED(hr))
        return hr;

    hr = VFW_E_NOT_FOUND;
    ComPtr<IPin> pin;
    for (int i = 0; FAILED(hr); ++i) {
        pin = NthPin(filter, PINDIR_INPUT, i);
        if (!pin)
            return hr;
        hr = graph->Connect(captureOutput.Get(), pin.Get());
    }
    hr = VFW_E_NOT_FOUND;
    for (int i = 0; FAILED(hr); ++i) {
        pin = NthPin(filter, PINDIR_OUTPUT, i);
        if (!pin)
            return hr;
        hr = graph->Connect(pin.Get(), rendererInput.Get());
    }
    return hr;
}

HRESULT InsertSampleGrabber(ICaptureGraphBuilder2* builder, IBaseFilter* capture, const GUID& category,
                            const GUID& majorType, CBaseSampleGrabberCB* callback, const wchar_t* name)
{
    ComPtr<IGraphBuilder> graph;
    HRESULT hr = builder->GetFiltergraph(&graph);
    if (FAILED(hr))
        return hr;
    ComPtr<IBaseFilter> grabberFilter;
    hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&grabberFilter));
    if (SUCCEEDED(hr))
        hr = graph->AddFilter(grabberFilter.Get(), name);
    ComPtr<ISampleGrabber> grabber;
    if (SUCCEEDED(hr))
        hr = grabberFilter.As(&grabber);
    if (FAILED(hr))
        return hr;

    AM_MEDIA_TYPE type{};
    type.majortype = majorType;
    hr = grabber->SetMediaType(&type);
    if (FAILED(hr))
        return hr;

    ComPtr<IPin> output;
    hr = builder->FindPin(capture, PINDIR_OUTPUT, &category, &majorType, FALSE, 0, &output);
    if (FAILED(hr))
        return hr;
    ComPtr<IPin> formerPeer = PeerOf(output.Get());
    if (formerPeer) {
        hr = DisconnectBoth(graph.Get(), output.Get(), formerPeer.Get());
        if (FAILED(hr))
            return hr;
    }
    ComPtr<IPin> grabberInput, grabberOutput;
    grabberInput = FirstUnconnectedPin(grabberFilter.Get(), PINDIR_INPUT);
    grabberOutput = FirstUnconnectedPin(grabberFilter.Get(), PINDIR_OUTPUT);
    hr = graph->Connect(output.Get(), grabberInput.Get());
    if (FAILED(hr))
        return hr;
    // An output that had no peer leaves the grabber with nowhere to deliver.
    hr = formerPeer ? graph->Connect(grabberOutput.Get(), formerPeer.Get()) : VFW_E_NOT_CONNECTED;
    if (FAILED(hr))
        return hr;
    return callback->Attach(grabber.Get());
}
