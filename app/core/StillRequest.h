// What the main window makes of a stored frame pair: the crop, the output size, the
// colour matrix and the size the image's name carries.
#pragma once

#include "MainSettings.h"
#include "StillGeometry.h"

#include <optional>

struct StillPlan {
    std::optional<stillimage::StillRect> crop;
    // Absent when the picture is saved as the frame is, without a redraw.
    std::optional<stillimage::StillRect> output;
    int matrix = 0;
    int nameWidth = 0;
    int nameHeight = 0;
};

// "ImageCaptureColorConversion": 0 picks BT.601 for 480i and 480p and BT.709 for
// every other input format, 1 BT.601, anything else BT.709.
int StillMatrix(int colorConversion, int inputFormat);

// The frame's size, the engine's aspect mode (0 to 5) and input format, and the
// "ImageCapture..." settings.
StillPlan PlanStill(const MainSettings& settings, int frameWidth, int frameHeight, int aspectMode, int inputFormat);
