// How the property pages show settings in their edit boxes and read them back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace trelvox {

// Reals as "%f"; read back as atof does (text that is no number gives 0).
std::string FormatReal(double value);
double ParseReal(const std::string& text);

std::string FormatUnsigned(uint64_t value);
// Decimal digits with optional blanks around them, within 32 bits; nothing else.
std::optional<uint32_t> ParseUnsigned(const std::string& text);

// The drift start time: 100-ns units in the settings, whole milliseconds on the page.
uint64_t MillisecondsFromTime(int64_t time);
int64_t TimeFromMilliseconds(uint32_t milliseconds);

}  // namespace trelvox
