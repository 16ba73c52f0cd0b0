// The disk's own pace: one file written front to back in large WriteFile calls.
#pragma once

#include <windows.h>

#include <string>

#include "BenchClock.h"

enum class PlainWriteStyle {
    Buffered,    // cached, flushed before the clock stops
    Unbuffered,  // FILE_FLAG_NO_BUFFERING, as the multiplexer opens its files
};

// Writes `bytes` (rounded up to whole chunks) of a fixed pattern to `path`.
HRESULT WritePlainFile(const std::wstring& path, ULONGLONG bytes, PlainWriteStyle style, RunFigures* figures);
