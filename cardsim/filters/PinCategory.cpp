#include "PinCategory.h"

#include <ks.h>

namespace cardsim {

HRESULT GetPinCategory(const GUID& category, REFGUID propertySet, DWORD propertyId, void* data, DWORD dataBytes,
                       DWORD* returnedBytes)
{
    if (propertySet != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (propertyId != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (!data) {
        if (!returnedBytes)
            return E_POINTER;
        *returnedBytes = sizeof(GUID);
        return S_OK;
    }
    if (dataBytes < sizeof(GUID))
        return E_UNEXPECTED;
    *static_cast<GUID*>(data) = category;
    if (returnedBytes)
        *returnedBytes = sizeof(GUID);
    return S_OK;
}

HRESULT QueryPinCategorySupport(REFGUID propertySet, DWORD propertyId, DWORD* support)
{
    if (propertySet != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (propertyId != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (support)
        *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

}  // namespace cardsim
