#include "SignalFormat.h"

namespace engine {
namespace {

constexpr uint32_t FourCC(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

constexpr SignalFormat kRows[kSignalFormatCount] = {
    {0, FourCC(' ', ' ', ' ', ' '), 0, 0, 0},           {1, FourCC('Y', 'U', 'Y', '2'), 720, 480, 333667},
    {2, FourCC('Y', 'U', 'Y', '2'), 720, 480, 166833},  {3, FourCC('Y', 'U', 'Y', '2'), 1920, 1080, 333667},
    {4, FourCC('Y', 'U', 'Y', '2'), 1280, 720, 166833}, {5, FourCC('Y', 'U', 'Y', '2'), 1920, 1080, 166833},
};

}  // namespace

const SignalFormat& SignalFormatRow(int index)
{
    return (index >= 0 && index < kSignalFormatCount) ? kRows[index] : kRows[kNoSignal];
}

bool IsInterlacedFormat(int index)
{
    return index == 1 || index == 3;
}

int FormatFromDecoderReadings(long horizontalLocked, long numberOfLines)
{
    if (horizontalLocked == 0)
        return kNoSignal;
    const bool interlaced = horizontalLocked == 1;
    switch (numberOfLines) {
    case 525:
        return interlaced ? 1 : 2;
    case 750:
        return interlaced ? kNoSignal : 4;
    case 1125:
        return interlaced ? 3 : 5;
    default:
        return kNoSignal;
    }
}

}  // namespace engine
