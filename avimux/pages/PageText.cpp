#include "PageText.h"

#include <cstdio>
#include <cstdlib>

namespace trelvox {

namespace {

constexpr int64_t kTimeUnitsPerMillisecond = 10'000;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

std::string FormatReal(double value)
{
    const int length = std::snprintf(nullptr, 0, "%f", value);
    std::string text(static_cast<size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, "%f", value);
    return text;
}

double ParseReal(const std::string& text)
{
    return std::atof(text.c_str());
}

std::string FormatUnsigned(uint64_t value)
{
    return std::to_string(value);
}

std::optional<uint32_t> ParseUnsigned(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const size_t digitsStart = i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    if (i == digitsStart)
        return std::nullopt;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

uint64_t MillisecondsFromTime(int64_t time)
{
    return time < 0 ? 0 : static_cast<uint64_t>(time / kTimeUnitsPerMillisecond);
}

int64_t TimeFromMilliseconds(uint32_t milliseconds)
{
    return static_cast<int64_t>(milliseconds) * kTimeUnitsPerMillisecond;
}

}  // namespace trelvox
