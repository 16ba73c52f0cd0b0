#include "CrossbarLayout.h"

namespace cardsim {
namespace {

constexpr std::array<CrossbarPin, kCrossbarInputs> kInputs{{
    {kPhysAudioAesDigital, 5, L"HDMI Audio"},
    {kPhysAudioSpdif, 3, L"S/PDIF Audio"},
    {kPhysAudioLine, 3, L"Line Audio"},
    {kPhysVideoComposite, 2, L"Composite Video"},
    {kPhysVideoSVideo, 2, L"S-Video"},
    {kPhysVideoYRYBY, 0, L"Component Video"},
}};

constexpr std::array<CrossbarPin, kCrossbarOutputs> kOutputs{{
    {kPhysVideoDecoder, kAudioOutput, L"Video Decoder"},
    {kPhysAudioDecoder, kVideoOutput, L"Audio Decoder"},
}};

bool ValidOutput(long output)
{
    return output >= 0 && output < kCrossbarOutputs;
}

bool ValidInput(long input)
{
    return input >= 0 && input < kCrossbarInputs;
}

}  // namespace

bool IsAudioType(long physicalType)
{
    return physicalType >= 0x1000;
}

const CrossbarPin& CrossbarInput(long index)
{
    return kInputs.at(static_cast<size_t>(index));
}

const CrossbarPin& CrossbarOutput(long index)
{
    return kOutputs.at(static_cast<size_t>(index));
}

bool CrossbarRouting::CanRoute(long output, long input) const
{
    if (!ValidOutput(output) || !ValidInput(input))
        return false;
    return IsAudioType(kOutputs[output].physicalType) == IsAudioType(kInputs[input].physicalType);
}

bool CrossbarRouting::Route(long output, long input)
{
    if (!ValidOutput(output))
        return false;
    if (input != -1 && !CanRoute(output, input))
        return false;
    routed_[output] = input;
    return true;
}

long CrossbarRouting::RoutedTo(long output) const
{
    return ValidOutput(output) ? routed_[output] : -1;
}

AudioInput CrossbarRouting::RoutedAudio() const
{
    switch (routed_[kAudioOutput]) {
    case 0:
        return AudioInput::Hdmi;
    case 1:
        return AudioInput::Spdif;
    case 2:
        return AudioInput::Analog;
    default:
        return AudioInput::None;
    }
}

}  // namespace cardsim
