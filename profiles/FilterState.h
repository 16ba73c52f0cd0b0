// A filter's private state as the profile keeps it: the video compressor
// driver's state (IAMVfwCompressDialogs) and the filter's own persisted data
// (IPersistStream).
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>
#include <vector>

// False when the filter has no IAMVfwCompressDialogs. A driver that reports a
// size and then fails to hand over its state yields an empty state.
bool GetDriverState(IBaseFilter* filter, std::vector<std::uint8_t>& state);
// Gives the driver its stored state; nothing to do without the interface or state.
HRESULT SetDriverState(IBaseFilter* filter, const std::vector<std::uint8_t>& state);

bool HasPersistStream(IBaseFilter* filter);
// Lets the filter save its data at the stream's current position.
HRESULT SavePersistedState(IBaseFilter* filter, IStream* stream);
// Lets the filter load its data from position; end receives where it stopped.
HRESULT LoadPersistedState(IBaseFilter* filter, IStream* stream, std::uint64_t position, std::uint64_t& end);
