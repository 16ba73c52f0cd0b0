// Geometry of a still image: the crop of the display modes that cut the picture,
// and the width factor that gives a frame the display aspect.
#pragma once

namespace stillimage {

struct StillRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const StillRect&) const = default;
};

// Aspect modes that crop: 2 4:3LB cuts top and bottom, 4 16:9PAN left and right,
// 5 16:9ZOOM both. True when the mode crops; other modes leave the rectangle as it was.
bool DisplayModeCrop(StillRect& rect, int aspectMode);

// Aspect codes: 1 and 4 give 4:3, 2, 3 and 5 give 16:9 (height-derived width over
// the frame's width); any other code, or a frame without width, gives 1.
double AspectWidthFactor(int height, int aspectCode, int width);

}  // namespace stillimage
