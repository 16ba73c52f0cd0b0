// The card's crossbar: six inputs and two outputs, routed like the hardware switch.
//
// inputs:  0 "HDMI Audio" (AES digital)   1 "S/PDIF Audio"   2 "Line Audio"
//          3 "Composite Video"   4 "S-Video"   5 "Component Video"
// outputs: 0 "Video Decoder"   1 "Audio Decoder"
// Audio inputs come first, so that counting audio inputs from the start reaches S/PDIF at
// one and the line input at two.
#pragma once

#include <array>
#include <string_view>

#include "TestTone.h"

namespace cardsim {

// PhysConn values of the platform.
constexpr long kPhysVideoComposite = 2;
constexpr long kPhysVideoSVideo = 3;
constexpr long kPhysVideoYRYBY = 5;
constexpr long kPhysVideoDecoder = 12;
constexpr long kPhysAudioLine = 0x1001;
constexpr long kPhysAudioAesDigital = 0x1003;
constexpr long kPhysAudioSpdif = 0x1004;
constexpr long kPhysAudioDecoder = 0x1009;

struct CrossbarPin {
    long physicalType;
    long related;  // index of the related pin on the same side
    std::wstring_view name;
};

constexpr long kCrossbarInputs = 6;
constexpr long kCrossbarOutputs = 2;
constexpr long kVideoOutput = 0;
constexpr long kAudioOutput = 1;
constexpr long kCompositeInput = 3;
constexpr long kSpdifInput = 1;

bool IsAudioType(long physicalType);
const CrossbarPin& CrossbarInput(long index);
const CrossbarPin& CrossbarOutput(long index);

class CrossbarRouting {
public:
    bool CanRoute(long output, long input) const;
    // input -1 disconnects the output. False when the route is not possible.
    bool Route(long output, long input);
    long RoutedTo(long output) const;
    // The sound source the audio output carries, None when it is not routed.
    AudioInput RoutedAudio() const;

private:
    std::array<long, kCrossbarOutputs> routed_{kCompositeInput, kSpdifInput};
};

}  // namespace cardsim
