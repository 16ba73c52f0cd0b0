// The figures the information bar shows, as text.
#pragma once

#include <cstdint>
#include <string>

// "hh:mm:ss" of a time in 100 ns units; the hours are not limited to two digits.
std::wstring RecordingTimeText(int64_t time);
// A frame count.
std::wstring CountText(int64_t count);
// The renderer's average frame rate, reported in frames per second times 100.
std::wstring FrameRateText(int rateTimes100);
