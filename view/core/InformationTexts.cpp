#include "InformationTexts.h"

#include <cstdio>
#include <iterator>

namespace {

constexpr int64_t kUnitsPerMillisecond = 10000;
constexpr int64_t kMillisecondsPerSecond = 1000;

}  // namespace

std::wstring RecordingTimeText(int64_t time)
{
    const int64_t seconds = time / kUnitsPerMillisecond / kMillisecondsPerSecond;
    wchar_t text[48];
    std::swprintf(text, std::size(text), L"%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
    return text;
}

std::wstring CountText(int64_t count)
{
    return std::to_wstring(count);
}

std::wstring FrameRateText(int rateTimes100)
{
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%2.2f", rateTimes100 / 100.0);
    return text;
}
