// The saved layout of a frame's bars: for each bar its id, its side and whether it
// is shown, in layout order. Stored as one string: "id:side:shown" entries joined
// by ";", side one of T B L R, e.g. "59392:T:1;59397:B:0".
#pragma once

#include "DockLayout.h"

#include <string>
#include <vector>

struct BarState {
    unsigned id = 0;
    DockSide side = DockSide::Top;
    bool visible = true;

    bool operator==(const BarState&) const = default;
};

std::wstring FormatDockState(const std::vector<BarState>& bars);

// Entries that do not read as above are skipped, and so is a repeated id.
std::vector<BarState> ParseDockState(const std::wstring& text);
