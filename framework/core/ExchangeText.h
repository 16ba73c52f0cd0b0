// The text side of dialog data exchange: numbers typed into edits and the
// messages for values out of range.
#pragma once

#include <string>
#include <string_view>

namespace fw {

// A whole decimal integer, blanks around it allowed; false for anything else or an overflow.
bool ParseInteger(std::wstring_view text, int& value);
// A decimal number ("12", "1.5", "1e2"), blanks around it allowed.
bool ParseNumber(std::wstring_view text, double& value);
// Fifteen significant digits, more when needed to read back the same number ("100", "12.5").
std::wstring FormatNumber(double value);

std::wstring IntegerExpectedMessage();
std::wstring NumberExpectedMessage();
std::wstring IntegerRangeMessage(int min, int max);
std::wstring NumberRangeMessage(double min, double max);
std::wstring TooManyCharactersMessage(int max);

}  // namespace fw
