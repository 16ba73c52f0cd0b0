// The IAMStreamConfig steps the card's video and audio pins share; each pin brings its
// own format type and the functions that read and describe it.
#pragma once

#include <cstring>
#include <vector>

#include "CaptureFilter.h"

namespace cardsim {

// SetFormat: only while stopped; a null type brings the pin's default back; a type `read`
// cannot turn into a format is refused; a connected pin first asks its peer and then
// reconnects with the type. `keep` stores a format, or null for the default.
template <typename Format, typename Read, typename Keep>
HRESULT ChangeStreamFormat(CBasePin& pin, CaptureFilter& filter, CCritSec& lock, AM_MEDIA_TYPE* type, Read read,
                           Keep keep)
{
    CAutoLock hold(&lock);
    if (!filter.IsStopped())
        return VFW_E_NOT_STOPPED;
    if (!type) {
        keep(nullptr);
        return S_OK;
    }
    Format format{};
    if (!read(*type, format))
        return VFW_E_INVALIDMEDIATYPE;
    if (!pin.IsConnected()) {
        keep(&format);
        return S_OK;
    }
    if (pin.GetConnected()->QueryAccept(type) != S_OK)
        return VFW_E_INVALIDMEDIATYPE;
    keep(&format);
    return filter.ReconnectPin(&pin, type);
}

// GetStreamCaps over the pin's list of capabilities.
template <typename Capability, typename NewType, typename DescribeCaps>
HRESULT StreamCapsAt(const std::vector<Capability>& all, int index, AM_MEDIA_TYPE** type, BYTE* caps, NewType newType,
                     DescribeCaps describe)
{
    CheckPointer(type, E_POINTER);
    CheckPointer(caps, E_POINTER);
    if (index < 0)
        return E_INVALIDARG;
    if (index >= static_cast<int>(all.size()))
        return S_FALSE;
    *type = newType(all[index]);
    if (!*type)
        return E_OUTOFMEMORY;
    const auto config = describe(all[index]);
    std::memcpy(caps, &config, sizeof config);
    return S_OK;
}

}  // namespace cardsim
