// The null source of the audio format probes, set to produce one media type.
#pragma once

#include "dshowbase/MediaType.h"

#include <dshow.h>

HRESULT CreateNullAudioSource(const CMediaType& type, IBaseFilter** source);
