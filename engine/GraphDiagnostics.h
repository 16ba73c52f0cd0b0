// Looking into a built graph from outside: property frames of its filters and
// pins, and its entry in the running object table for graph viewers.
#pragma once

#include <windows.h>
#include <dshow.h>

// A modal property frame for the object's pages, owned by `owner`.
HRESULT ShowObjectPages(IUnknown* object, HWND owner);

// The interface `riid` of the capture filter's interleaved stream of the
// category, else of its video stream.
HRESULT FindCaptureInterface(ICaptureGraphBuilder2* builder, IBaseFilter* capture, const GUID& category, REFIID riid,
                             IUnknown** found);

// Enters the graph in the running object table as "FilterGraph %08x pid %08x";
// the cookie is 0 unless that succeeded.
HRESULT RegisterGraph(IUnknown* graph, DWORD& cookie);
// Revokes a non-zero cookie and clears it.
void RevokeGraph(DWORD& cookie);
