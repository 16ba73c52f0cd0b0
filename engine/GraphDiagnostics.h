// Looking into a built graph from outside: the capture filter's interfaces for
// their property frames, and the graph's entry in the running object table.
#pragma once

#include <windows.h>
#include <dshow.h>

// The interface `riid` of the capture filter's interleaved stream of the
// category, else of its video stream.
HRESULT FindCaptureInterface(ICaptureGraphBuilder2* builder, IBaseFilter* capture, const GUID& category, REFIID riid,
                             IUnknown** found);

// Enters the graph in the running object table as "FilterGraph %08x pid %08x";
// the cookie is 0 unless that succeeded.
HRESULT RegisterGraph(IUnknown* graph, DWORD& cookie);
// Revokes a non-zero cookie and clears it.
void RevokeGraph(DWORD& cookie);
