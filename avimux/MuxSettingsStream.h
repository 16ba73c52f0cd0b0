// The settings block written to and read from the stream of IPersistStream.
#pragma once

#include "dshowbase/streams.h"
#include "MuxSettings.h"

HRESULT WriteMuxSettings(IStream* stream, const trelvox::MuxSettings& settings);
// VFW_E_INVALID_FILE_FORMAT for a short block.
HRESULT ReadMuxSettings(IStream* stream, trelvox::MuxSettings* settings);
