#include "StillGeometry.h"

namespace stillimage {
namespace {

enum CroppingAspect { kLetterBox43 = 2, kPan169 = 4, kZoom169 = 5 };

// What a 3/4 cut leaves on each side.
int QuarterMargin(int length)
{
    return (length - (9 * length) / 12) / 2;
}

}  // namespace

bool DisplayModeCrop(StillRect& rect, int aspectMode)
{
    const int top = QuarterMargin(rect.Height());
    const int side = QuarterMargin(rect.Width());
    const bool cutsRows = aspectMode == kLetterBox43 || aspectMode == kZoom169;
    const bool cutsColumns = aspectMode == kPan169 || aspectMode == kZoom169;
    if (cutsRows) {
        rect.top += top;
        rect.bottom -= top;
    }
    if (cutsColumns) {
        rect.left += side;
        rect.right -= side;
    }
    return cutsRows || cutsColumns;
}

double AspectWidthFactor(int height, int aspectCode, int width)
{
    if (width == 0)
        return 1.0;
    switch (aspectCode) {
    case 1:
    case 4:
        return static_cast<double>((4 * height) / 3) / width;
    case 2:
    case 3:
    case 5:
        return static_cast<double>((16 * height) / 9) / width;
    default:
        return 1.0;
    }
}

}  // namespace stillimage
