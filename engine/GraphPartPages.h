// The property frames of a built graph's parts, opened from the main window's
// information menu.
#pragma once

#include "GraphParts.h"

enum class GraphPart { Crossbar, CaptureFilter, PreviewPin, CapturePin, VideoRenderer, AudioRenderer, Multiplexer };

// E_FAIL when the graph lacks the part; a part that offers no pages opens no frame.
HRESULT ShowGraphPartPages(const GraphParts& parts, GraphPart part, HWND owner);
