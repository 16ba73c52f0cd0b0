// The preview's video renderers, stored as their numbers.
#pragma once

namespace engine {

enum class VideoRendererKind : int {
    OverlayMixer = 1,  // the Video Renderer behind the Overlay Mixer
    Vmr7 = 2,
    Vmr9 = 3,
};

}  // namespace engine
