// Rewiring of a built graph: removing branches, connecting chains of filters,
// and putting a filter or a Sample Grabber into an existing link.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <vector>

class CBaseSampleGrabberCB;

// Removes every filter of the graph except `kept` and the filters upstream of it
// (the card's crossbar), also those a failed build left unconnected.
HRESULT RemoveAllButUpstreamOf(IGraphBuilder* graph, IBaseFilter* kept);

// Stops each filter of the graph itself: a Run that failed part-way may leave some of
// them paused while the graph counts as stopped.
void StopEveryFilter(IGraphBuilder* graph);

// Removes the filters between the renderer's connected input and `capture`;
// both stay, unconnected on that stream.
HRESULT RemoveBetween(IGraphBuilder* graph, IBaseFilter* capture, IBaseFilter* renderer);

// Connects the capture filter's free video preview output through `filters`,
// in order, to the renderer's first free input. Returns the first failure.
HRESULT ConnectChain(ICaptureGraphBuilder2* builder, IGraphBuilder* graph, IBaseFilter* capture,
                     const std::vector<IBaseFilter*>& filters, IBaseFilter* renderer);

// Puts `filter` into the link from the capture filter to the renderer.
HRESULT InsertIntoLink(IGraphBuilder* graph, IBaseFilter* capture, IBaseFilter* renderer, IBaseFilter* filter);

// Adds a Sample Grabber named `name` behind the capture filter's first output
// of the category and major type, and attaches `callback` to it.
HRESULT InsertSampleGrabber(ICaptureGraphBuilder2* builder, IBaseFilter* capture, const GUID& category,
                            const GUID& majorType, CBaseSampleGrabberCB* callback, const wchar_t* name);
