#include "SettingsFormats.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

// Reads up to `count` comma-separated int values the way "%d,%d,..." scans them:
// optional white space, an optional sign and digits, then a comma before the next.
// Returns how many were read; a number out of int's range ends the scan.
int ScanInts(const std::wstring& text, int* values, int count)
{
    const wchar_t* cursor = text.c_str();
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (*cursor != L',')
                return i;
            ++cursor;
        }
        wchar_t* end = nullptr;
        errno = 0;
        const long long value = std::wcstoll(cursor, &end, 10);
        if (end == cursor || errno == ERANGE || value < INT_MIN || value > INT_MAX)
            return i;
        values[i] = static_cast<int>(value);
        cursor = end;
    }
    return count;
}

// Numbers are ASCII: format narrow, with the room the text needs, then widen.
std::wstring Format(const char* format, auto... values)
{
    const int length = std::snprintf(nullptr, 0, format, values...);
    if (length <= 0)
        return std::wstring();
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), format, values...);
    return std::wstring(text.begin(), text.begin() + length);
}

}  // namespace

std::optional<WindowState> ParseWindowState(const std::wstring& text)
{
    int values[5];
    if (ScanInts(text, values, 5) != 5)
        return std::nullopt;
    const WindowState state{values[0], values[1], values[2], values[3], values[4]};
    if (static_cast<long long>(state.right) - state.left <= 0 || static_cast<long long>(state.bottom) - state.top <= 0)
        return std::nullopt;
    if (static_cast<long long>(state.right) - state.left > INT_MAX ||
        static_cast<long long>(state.bottom) - state.top > INT_MAX)
        return std::nullopt;
    return state;
}

std::wstring FormatWindowState(const WindowState& state)
{
    return Format("%d,%d,%d,%d,%d", state.showCommand, state.left, state.top, state.right, state.bottom);
}

void ParseCroppingRect(const std::wstring& text, CropRect& rect)
{
    int values[4];
    const int read = ScanInts(text, values, 4);
    int* members[4] = {&rect.left, &rect.top, &rect.right, &rect.bottom};
    for (int i = 0; i < read; ++i)
        *members[i] = values[i];
}

std::wstring FormatCroppingRect(const CropRect& rect)
{
    return Format("%d,%d,%d,%d", rect.left, rect.top, rect.right, rect.bottom);
}

double ParseScale(const std::wstring& text)
{
    const double value = std::wcstod(text.c_str(), nullptr);
    // Infinity and NaN are no scale at all.
    return std::isfinite(value) ? value : 0.0;
}

std::wstring FormatScale(double scale)
{
    return Format("%f", scale);
}
