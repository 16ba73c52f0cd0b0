// What the filter mapper learns about "Pelkor AVI Mux".
#pragma once

#include "dshowbase/streams.h"

extern const AMOVIESETUP_FILTER kMuxFilterSetup;
