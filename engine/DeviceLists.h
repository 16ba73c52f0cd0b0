// Devices and filters for the settings sheet, and binding a stored choice.
#pragma once

#include "../profiles/FilterEntry.h"

#include <vector>

HRESULT ListDevices(const CLSID& category, std::vector<FilterEntry>& entries);

// Filters with an input and an output pin of the given type pairs (major, sub).
HRESULT ListMatchingFilters(const std::vector<GUID>& inputTypes, const std::vector<GUID>& outputTypes,
                            std::vector<FilterEntry>& entries);

HRESULT BindFilterEntry(const FilterEntry& entry, IBaseFilter** filter);

// Sets the row's format on the capture filter's preview and then capture pin.
HRESULT ApplyFormatToPins(ICaptureGraphBuilder2* builder, IBaseFilter* captureFilter, int format);
