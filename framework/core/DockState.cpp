#include "DockState.h"

#include <algorithm>
#include <cwchar>
#include <optional>

namespace {

constexpr wchar_t kSideLetters[] = L"TBLR";

std::optional<BarState> ParseEntry(const std::wstring& entry)
{
    const size_t firstColon = entry.find(L':');
    if (firstColon == 0 || firstColon == std::wstring::npos || firstColon > 5)
        return std::nullopt;
    if (entry.size() != firstColon + 4 || entry[firstColon + 2] != L':')
        return std::nullopt;
    unsigned id = 0;
    for (size_t i = 0; i < firstColon; ++i) {
        if (entry[i] < L'0' || entry[i] > L'9')
            return std::nullopt;
        id = id * 10 + static_cast<unsigned>(entry[i] - L'0');
    }
    if (id > 0xFFFF)
        return std::nullopt;
    const wchar_t* side = std::wcschr(kSideLetters, entry[firstColon + 1]);
    if (!side || !*side)
        return std::nullopt;
    const wchar_t shown = entry[firstColon + 3];
    if (shown != L'0' && shown != L'1')
        return std::nullopt;
    return BarState{id, static_cast<DockSide>(side - kSideLetters), shown == L'1'};
}

}  // namespace

std::wstring FormatDockState(const std::vector<BarState>& bars)
{
    std::wstring text;
    for (const BarState& bar : bars) {
        if (!text.empty())
            text += L';';
        text += std::to_wstring(bar.id) + L':' + kSideLetters[static_cast<int>(bar.side)] + L':' +
                (bar.visible ? L'1' : L'0');
    }
    return text;
}

std::vector<BarState> ParseDockState(const std::wstring& text)
{
    std::vector<BarState> bars;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L';', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::optional<BarState> bar = ParseEntry(text.substr(start, end - start));
        const bool repeated =
            bar && std::any_of(bars.begin(), bars.end(), [&](const BarState& b) { return b.id == bar->id; });
        if (bar && !repeated)
            bars.push_back(*bar);
        start = end + 1;
    }
    return bars;
}
