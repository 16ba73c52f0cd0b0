// IKsPropertySet answers of the card's pins: the pin category (AMPROPSETID_Pin), read only.
#pragma once

#include <windows.h>
#include <dshow.h>

namespace cardsim {

HRESULT GetPinCategory(const GUID& category, REFGUID propertySet, DWORD propertyId, void* data, DWORD dataBytes,
                       DWORD* returnedBytes);
HRESULT QueryPinCategorySupport(REFGUID propertySet, DWORD propertyId, DWORD* support);

}  // namespace cardsim
