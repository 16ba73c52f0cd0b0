// Arithmetic of the video window: box sizes, placement, source crops and edge sizing.
// Aspect modes: 0 free, 1 4:3, 2 4:3LB, 3 16:9, 4 16:9PAN, 5 16:9ZOOM.
// Scale modes: 0 free, 1 25 %, 2 50 %, 3 75 %, 4 100 %, 5 150 %, 6 200 %.
#pragma once

namespace engine {

struct Size {
    int width;
    int height;
    bool operator==(const Size&) const = default;
};

// Left, top, width and height, as the video window and IBasicVideo take them.
struct Box {
    int left;
    int top;
    int width;
    int height;
    bool operator==(const Box&) const = default;
};

// The integer part of x + 0.5.
int RoundHalfUp(double x);

double ScaleFactor(int scaleMode);

// The video area for a picture of width x height: widened to the aspect
// mode's family, then scaled.
Size VideoBoxSize(int width, int height, int aspectMode, int scaleMode);

// The largest box of the mode's family inside a width x height area, centred.
Box FitBox(int width, int height, int aspectMode);

// The part of a w x h picture that the mode shows; false for the whole picture.
bool CroppedSource(int w, int h, int aspectMode, Box& source);

// Keeps the video area in the mode's ratio while an edge is dragged
// (WMSZ_TOP and WMSZ_BOTTOM recompute the width, other edges the height).
// Returns true when the size changed.
bool ConstrainVideoArea(int edge, int aspectMode, Size& area);

}  // namespace engine
