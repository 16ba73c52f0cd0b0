#include "StillRequest.h"

#include "RgbConversion.h"

#include <algorithm>

using stillimage::StillRect;

namespace {

enum CroppingMode { kNoCrop = 0, kDisplayModeCrop = 1, kFixedCrop = 2 };
enum ImageAspect { kNoAspect = 0, kDisplayAspect = 1, kForce169 = 2, kForce43 = 3 };
enum AspectCode { kAspectCode43 = 1, kAspectCode169 = 3 };

constexpr int kInput480i = 1;
constexpr int kInput480p = 2;
constexpr double kFullScale = 100.0;
// A scaled side stays a size a bitmap can have; what GDI+ cannot allocate then fails quietly.
constexpr double kLargestSide = 32767.0;

int DisplayAspectCode(int aspectMode)
{
    return aspectMode == 1 || aspectMode == 2 ? kAspectCode43 : kAspectCode169;
}

// The stored rectangle when it lies inside the frame, has an area and is not the
// whole frame.
std::optional<StillRect> FixedCrop(const CropRect& stored, int frameWidth, int frameHeight)
{
    const StillRect rect{stored.left, stored.top, stored.right, stored.bottom};
    const bool inside = rect.left >= 0 && rect.top >= 0 && rect.right <= frameWidth && rect.bottom <= frameHeight;
    const bool hasArea = rect.Width() > 0 && rect.Height() > 0;
    const bool wholeFrame = rect.Width() == frameWidth && rect.Height() == frameHeight;
    if (!inside || !hasArea || wholeFrame)
        return std::nullopt;
    return rect;
}

std::optional<StillRect> CropOf(const MainSettings& settings, int frameWidth, int frameHeight, int aspectMode)
{
    switch (settings.imageCroppingMode) {
    case kDisplayModeCrop: {
        StillRect rect{0, 0, frameWidth, frameHeight};
        if (stillimage::DisplayModeCrop(rect, aspectMode))
            return rect;
        return std::nullopt;
    }
    case kFixedCrop:
        return FixedCrop(settings.imageCroppingRect, frameWidth, frameHeight);
    default:
        return std::nullopt;
    }
}

int AspectCodeOf(int imageAspect, int aspectMode)
{
    switch (imageAspect) {
    case kDisplayAspect:
        return DisplayAspectCode(aspectMode);
    case kForce169:
        return kAspectCode169;
    case kForce43:
        return kAspectCode43;
    default:
        return 0;
    }
}

// Rounded towards zero, at least one pixel.
int Scaled(int length, double scale)
{
    return static_cast<int>(std::clamp(length * scale / kFullScale, 1.0, kLargestSide));
}

}  // namespace

int StillMatrix(int colorConversion, int inputFormat)
{
    if (colorConversion == 0)
        return inputFormat == kInput480i || inputFormat == kInput480p ? stillimage::kMatrixBt601
                                                                      : stillimage::kMatrixBt709;
    return colorConversion == 1 ? stillimage::kMatrixBt601 : stillimage::kMatrixBt709;
}

StillPlan PlanStill(const MainSettings& settings, int frameWidth, int frameHeight, int aspectMode, int inputFormat)
{
    StillPlan plan;
    plan.matrix = StillMatrix(settings.imageColorConversion, inputFormat);
    plan.crop = CropOf(settings, frameWidth, frameHeight, aspectMode);

    const StillRect source = plan.crop.value_or(StillRect{0, 0, frameWidth, frameHeight});
    int width = source.Width();
    int height = source.Height();
    const int code = AspectCodeOf(settings.imageAspectMode, aspectMode);
    const double factor = stillimage::AspectWidthFactor(frameHeight, code, frameWidth);
    if (factor != 1.0)
        width = static_cast<int>(factor * width);
    // A scale of 0 or less (unreadable text) is no scale.
    if (settings.imageScaleMode != 0 && settings.imageScale != kFullScale && settings.imageScale > 0) {
        width = Scaled(width, settings.imageScale);
        height = Scaled(height, settings.imageScale);
    }

    plan.nameWidth = width;
    plan.nameHeight = height;
    if (plan.crop || width != frameWidth || height != frameHeight)
        plan.output = StillRect{0, 0, width, height};
    return plan;
}
