// The main window's side of sizing around the video: the modes the scale and aspect
// commands choose, their steps, the correction of an edge drag, and hit testing
// without a caption.
#pragma once

// Edges of WM_SIZING (WMSZ_*).
enum SizingEdge : int {
    kEdgeLeft = 1,
    kEdgeRight = 2,
    kEdgeTop = 3,
    kEdgeTopLeft = 4,
    kEdgeTopRight = 5,
    kEdgeBottom = 6,
    kEdgeBottomLeft = 7,
    kEdgeBottomRight = 8,
};

// Hit-test codes of WM_NCHITTEST (HT*).
enum HitTestCode : int {
    kHitClient = 1,
    kHitCaption = 2,
    kHitTopLeft = 13,
    kHitTopRight = 14,
    kHitBottomLeft = 16,
    kHitBottomRight = 17,
};

inline constexpr int kScaleFree = 0;
inline constexpr int kScaleFull = 4;
inline constexpr int kAspectFree = 0;
// The first scale command; the menu shows only those after it.
inline constexpr unsigned kScaleCommandFirst = 32820;

int ScaleModeOfCommand(unsigned id);
int AspectModeOfCommand(unsigned id);

// Whether the window can be sized to a scale now.
bool ScaleCanChange(bool maximised, int aspectMode, bool fullScreen);

// One scale step smaller or larger; the same mode at either end. Free size becomes 100 %.
int ScaleStep(int scaleMode, bool larger);
// The next or the previous aspect in menu order, wrapping; unknown modes stay.
int AspectStep(int aspectMode, bool next);

struct WindowRect {
    int left;
    int top;
    int right;
    int bottom;
    bool operator==(const WindowRect&) const = default;
};

bool IsCornerEdge(int edge);
// Adds the change of the video area (dW, dH) to the rectangle proposed for an edge drag,
// on the sides the user is not dragging.
void CorrectProposedRect(int edge, int dW, int dH, WindowRect& proposed);

// Without a caption the window is moved by its inside and its corners.
int FrameOnlyHitTest(int code);
