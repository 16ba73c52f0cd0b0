// The capture engine's states; the main window enables its commands from them.
#pragma once

namespace engine {

enum EngineState : int {
    kNotOpened = 0,
    kIdle = 1,
    kPreviewBuilt = 2,
    kRecordBuilt = 3,
    kPreviewing = 4,
    kRecording = 5,
    kDetectionBuilt = 6,
    kDetecting = 7,
};

}  // namespace engine
