// The formats a recording works with: the connected ones with the settings' overrides.
#pragma once

#include "MediaFormats.h"
#include "MuxSettings.h"
#include "MuxTypes.h"

namespace trelvox {

// The overrides replace the connected frame duration and audio rate. A video stream left
// without a frame duration learns it from its samples. VFW_E_TYPE_NOT_ACCEPTED when the
// audio rate cannot be overridden.
HResult ApplyOverrides(const MuxSettings& settings, MuxInputs& inputs);

}  // namespace trelvox
