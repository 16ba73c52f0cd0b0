#include "VideoGeometry.h"

namespace engine {
namespace {

constexpr int kEdgeTop = 3;     // WMSZ_TOP
constexpr int kEdgeBottom = 6;  // WMSZ_BOTTOM

enum class Family { None, FourThree, SixteenNine };

Family FamilyOf(int aspectMode)
{
    switch (aspectMode) {
    case 1:
    case 4:
        return Family::FourThree;
    case 2:
    case 3:
    case 5:
        return Family::SixteenNine;
    default:
        return Family::None;
    }
}

// Width over height of the family.
double Ratio(Family family)
{
    return family == Family::FourThree ? 4.0 / 3.0 : 16.0 / 9.0;
}

// Height over width of the family.
double InverseRatio(Family family)
{
    return family == Family::FourThree ? 3.0 / 4.0 : 9.0 / 16.0;
}

}  // namespace

int RoundHalfUp(double x)
{
    return static_cast<int>(x + 0.5);
}

double ScaleFactor(int scaleMode)
{
    switch (scaleMode) {
    case 1:
        return 0.25;
    case 2:
        return 0.5;
    case 3:
        return 0.75;
    case 5:
        return 1.5;
    case 6:
        return 2.0;
    default:
        return 1.0;
    }
}

Size VideoBoxSize(int width, int height, int aspectMode, int scaleMode)
{
    const Family family = FamilyOf(aspectMode);
    double w = family == Family::None ? width : RoundHalfUp(height * Ratio(family));
    double h = height;
    const double factor = ScaleFactor(scaleMode);
    return {RoundHalfUp(w * factor), RoundHalfUp(h * factor)};
}

Box FitBox(int width, int height, int aspectMode)
{
    const Family family = FamilyOf(aspectMode);
    Size box{width, height};
    if (family != Family::None) {
        const int widthAtFullHeight = RoundHalfUp(height * Ratio(family));
        if (widthAtFullHeight <= width)
            box = {widthAtFullHeight, height};
        else
            box = {width, RoundHalfUp(width * InverseRatio(family))};
    }
    return {(width - box.width) / 2, (height - box.height) / 2, box.width, box.height};
}

bool CroppedSource(int w, int h, int aspectMode, Box& source)
{
    switch (aspectMode) {
    case 2: {  // a 16:9 band from the middle of a 4:3 picture
        int t = RoundHalfUp(RoundHalfUp(h * 4.0 / 3.0) * 9.0 / 16.0);
        if (t > h)
            t = h;
        source = {0, (h - t) / 2, w, t};
        return true;
    }
    case 4: {  // a 4:3 window from the middle of a 16:9 picture
        const int wide = RoundHalfUp(h * 16.0 / 9.0);
        int t = wide > 0 ? RoundHalfUp(h * 4.0 / 3.0) * w / wide : w;
        if (t > w)
            t = w;
        source = {(w - t) / 2, 0, t, h};
        return true;
    }
    case 5: {  // the 16:9 middle of a 4:3 band of a 16:9 picture
        const int o = RoundHalfUp(h * 16.0 / 9.0);
        const int q = RoundHalfUp(h * 4.0 / 3.0);
        int v = o > 0 ? q * w / o : w;
        int u = RoundHalfUp(q * 9.0 / 16.0);
        if (v > w)
            v = w;
        if (u > h)
            u = h;
        source = {(w - v) / 2, (h - u) / 2, v, u};
        return true;
    }
    default:
        return false;
    }
}

bool ConstrainVideoArea(int edge, int aspectMode, Size& area)
{
    const Family family = FamilyOf(aspectMode);
    if (family == Family::None)
        return false;
    const Size before = area;
    if (edge == kEdgeTop || edge == kEdgeBottom)
        area.width = RoundHalfUp(area.height * Ratio(family));
    else
        area.height = RoundHalfUp(area.width * InverseRatio(family));
    return !(area == before);
}

}  // namespace engine
