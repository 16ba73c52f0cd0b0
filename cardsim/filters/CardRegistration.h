// Registers the card's filters: their COM classes, the capture filter in the video input
// device category (with a Description beside its FriendlyName) and the crossbar in the
// crossbar category under a fixed instance, so its moniker display name never changes.
#pragma once

#include <windows.h>

namespace cardsim {

HRESULT RegisterCardFilters();
HRESULT UnregisterCardFilters();

}  // namespace cardsim
