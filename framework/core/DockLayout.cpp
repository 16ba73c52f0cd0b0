#include "DockLayout.h"

#include <algorithm>
#include <climits>

FrameLayout LayOutFrame(const LayoutRect& client, const std::vector<BarPlacement>& bars)
{
    FrameLayout layout;
    LayoutRect free = client;
    free.right = std::max(free.left, free.right);
    free.bottom = std::max(free.top, free.bottom);
    for (const BarPlacement& bar : bars) {
        LayoutRect rect{};
        if (bar.visible) {
            rect = free;
            const int thickness = std::max(0, bar.thickness);
            if (IsHorizontal(bar.side)) {
                const int height = std::min(thickness, free.bottom - free.top);
                if (bar.side == DockSide::Top) {
                    rect.bottom = free.top + height;
                    free.top = rect.bottom;
                } else {
                    rect.top = free.bottom - height;
                    free.bottom = rect.top;
                }
            } else {
                const int width = std::min(thickness, free.right - free.left);
                if (bar.side == DockSide::Left) {
                    rect.right = free.left + width;
                    free.left = rect.right;
                } else {
                    rect.left = free.right - width;
                    free.right = rect.left;
                }
            }
        }
        layout.bars.push_back(rect);
    }
    layout.view = free;
    return layout;
}

DockSide NearestSide(const LayoutRect& area, int x, int y)
{
    // Signed: a point beyond an edge is nearest to that edge.
    const long long distances[] = {
        static_cast<long long>(y) - area.top,
        static_cast<long long>(area.bottom) - y,
        static_cast<long long>(x) - area.left,
        static_cast<long long>(area.right) - x,
    };
    const DockSide sides[] = {DockSide::Top, DockSide::Bottom, DockSide::Left, DockSide::Right};
    return sides[std::min_element(std::begin(distances), std::end(distances)) - std::begin(distances)];
}
