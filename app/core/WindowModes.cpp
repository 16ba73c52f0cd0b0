#include "WindowModes.h"

#include "../../resources/tavrik/resource.h"

#include <algorithm>
#include <array>

namespace {

// Aspect modes in menu order: 4:3, 16:9, 4:3LB, 16:9PAN, 16:9ZOOM, Free.
constexpr std::array<int, 6> kAspectCycle = {1, 3, 2, 4, 5, 0};
constexpr int kScaleSmallest = 1;
constexpr int kScaleLargest = 6;

}  // namespace

int ScaleModeOfCommand(unsigned id)
{
    switch (id) {
    case ID_SCALE_25:
        return 1;
    case ID_SCALE_50:
        return 2;
    case ID_SCALE_75:
        return 3;
    case ID_SCALE_150:
        return 5;
    case ID_SCALE_200:
        return 6;
    default:
        return kScaleFull;
    }
}

int AspectModeOfCommand(unsigned id)
{
    switch (id) {
    case ID_ASPECT_4_3:
        return 1;
    case ID_ASPECT_16_9:
        return 3;
    case ID_ASPECT_4_3LB:
        return 2;
    case ID_ASPECT_16_9PAN:
        return 4;
    case ID_ASPECT_16_9ZOOM:
        return 5;
    default:
        return kAspectFree;
    }
}

bool ScaleCanChange(bool maximised, int aspectMode, bool fullScreen)
{
    return !maximised && aspectMode != kAspectFree && !fullScreen;
}

int ScaleStep(int scaleMode, bool larger)
{
    if (scaleMode == kScaleFree)
        return kScaleFull;
    if (larger)
        return scaleMode < kScaleLargest ? scaleMode + 1 : scaleMode;
    return scaleMode > kScaleSmallest ? scaleMode - 1 : scaleMode;
}

int AspectStep(int aspectMode, bool next)
{
    const auto found = std::find(kAspectCycle.begin(), kAspectCycle.end(), aspectMode);
    if (found == kAspectCycle.end())
        return aspectMode;
    const size_t count = kAspectCycle.size();
    const size_t at = static_cast<size_t>(found - kAspectCycle.begin());
    return kAspectCycle[next ? (at + 1) % count : (at + count - 1) % count];
}

bool IsCornerEdge(int edge)
{
    return edge == kEdgeTopLeft || edge == kEdgeTopRight || edge == kEdgeBottomLeft || edge == kEdgeBottomRight;
}

void CorrectProposedRect(int edge, int dW, int dH, WindowRect& proposed)
{
    switch (edge) {
    case kEdgeLeft:
    case kEdgeTop:
        proposed.right += dW;
        proposed.bottom += dH;
        break;
    case kEdgeRight:
        proposed.left -= dW;
        proposed.bottom += dH;
        break;
    case kEdgeBottom:
        proposed.top -= dH;
        proposed.right += dW;
        break;
    }
}

int FrameOnlyHitTest(int code)
{
    switch (code) {
    case kHitClient:
    case kHitTopLeft:
    case kHitTopRight:
    case kHitBottomLeft:
    case kHitBottomRight:
        return kHitCaption;
    default:
        return code;
    }
}
