// Small questions about pins and filters that graph building asks again and again.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

// The pin's category from its IKsPropertySet (AMPROPSETID_Pin), or GUID_NULL.
GUID PinCategory(IPin* pin);

// The n-th pin of the given direction in enumeration order, or null.
Microsoft::WRL::ComPtr<IPin> NthPin(IBaseFilter* filter, PIN_DIRECTION direction, int n);

// The first pin of the given direction that is not connected, or null.
Microsoft::WRL::ComPtr<IPin> FirstUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction);

// The position of `pin` among all of the filter's pins, or -1.
int PinPosition(IBaseFilter* filter, IPin* pin);

// The filter a pin belongs to, or null.
Microsoft::WRL::ComPtr<IBaseFilter> OwnerOf(IPin* pin);

PIN_DIRECTION DirectionOf(IPin* pin);
