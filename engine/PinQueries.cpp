#include "PinQueries.h"

#include <ks.h>
#include <ksproxy.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// Calls `visit` with each pin until it returns true; that pin is returned AddRef'ed.
template <typename Visit>
IPin* FindPin(IBaseFilter* filter, Visit visit)
{
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins)))
        return nullptr;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        if (visit(pin.Get()))
            return pin.Detach();
    }
    return nullptr;
}

}  // namespace

GUID PinCategory(IPin* pin)
{
    ComPtr<IKsPropertySet> properties;
    GUID category = GUID_NULL;
    DWORD returned = 0;
    if (pin && SUCCEEDED(pin->QueryInterface(IID_PPV_ARGS(&properties))) &&
        SUCCEEDED(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category,
                                  &returned)) &&
        returned == sizeof category)
        return category;
    return GUID_NULL;
}

PIN_DIRECTION DirectionOf(IPin* pin)
{
    PIN_DIRECTION direction = PINDIR_INPUT;
    pin->QueryDirection(&direction);
    return direction;
}

IPin* NthPin(IBaseFilter* filter, PIN_DIRECTION direction, int n)
{
    int seen = 0;
    return FindPin(filter, [&](IPin* pin) { return DirectionOf(pin) == direction && seen++ == n; });
}

IPin* FirstUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction)
{
    return FindPin(filter, [&](IPin* pin) {
        ComPtr<IPin> peer;
        return DirectionOf(pin) == direction && pin->ConnectedTo(&peer) == VFW_E_NOT_CONNECTED;
    });
}

int PinPosition(IBaseFilter* filter, IPin* wanted)
{
    int position = 0;
    ComPtr<IPin> found;
    found.Attach(FindPin(filter, [&](IPin* pin) {
        if (pin == wanted)
            return true;
        ++position;
        return false;
    }));
    return found ? position : -1;
}

IBaseFilter* OwnerOf(IPin* pin)
{
    PIN_INFO info{};
    if (!pin || FAILED(pin->QueryPinInfo(&info)))
        return nullptr;
    return info.pFilter;
}
