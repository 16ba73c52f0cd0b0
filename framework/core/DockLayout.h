// Where the frame's bars and its view go: each visible bar, in order, takes a
// strip off the side it is docked to; the view gets what is left.
#pragma once

#include <vector>

enum class DockSide { Top, Bottom, Left, Right };

inline bool IsHorizontal(DockSide side)
{
    return side == DockSide::Top || side == DockSide::Bottom;
}

struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const LayoutRect&) const = default;
};

struct BarPlacement {
    DockSide side = DockSide::Top;
    bool visible = true;
    int thickness = 0;  // height on a top or bottom side, width on a left or right side
};

struct FrameLayout {
    std::vector<LayoutRect> bars;  // one per bar; empty for a hidden bar
    LayoutRect view;
};

FrameLayout LayOutFrame(const LayoutRect& client, const std::vector<BarPlacement>& bars);

// The side of `area` nearest to the point, for dropping a dragged bar.
DockSide NearestSide(const LayoutRect& area, int x, int y);
