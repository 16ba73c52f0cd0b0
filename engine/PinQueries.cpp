#include "PinQueries.h"

#include <ks.h>
#include <ksproxy.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// Calls `visit` with each pin until it returns true, and returns that pin.
template <typename Visit>
ComPtr<IPin> FindPin(IBaseFilter* filter, Visit visit)
{
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins)))
        return nullptr;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        if (visit(pin.Get()))
            return pin;
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

ComPtr<IPin> NthPin(IBaseFilter* filter, PIN_DIRECTION direction, int n)
{
    int seen = 0;
    return FindPin(filter, [&](IPin* pin) { return DirectionOf(pin) == direction && seen++ == n; });
}

ComPtr<IPin> FirstUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction)
{
    return FindPin(filter, [&](IPin* pin) {
        ComPtr<IPin> peer;
        return DirectionOf(pin) == direction && pin->ConnectedTo(&peer) == VFW_E_NOT_CONNECTED;
    });
}

int PinPosition(IBaseFilter* filter, IPin* wanted)
{
    int position = 0;
    const ComPtr<IPin> found = FindPin(filter, [&](IPin* pin) {
        if (pin == wanted)
            return true;
        ++position;
        return false;
    });
    return found ? position : -1;
}

ComPtr<IBaseFilter> OwnerOf(IPin* pin)
{
    PIN_INFO info{};
    ComPtr<IBaseFilter> owner;
    // QueryPinInfo hands over a reference; mingw-w64's ComPtr::Attach would add another.
    if (pin && SUCCEEDED(pin->QueryPinInfo(&info)))
        *owner.GetAddressOf() = info.pFilter;
    return owner;
}
