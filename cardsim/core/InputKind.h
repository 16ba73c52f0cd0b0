// The inputs the simulated card can be fed and what its decoder reports for each.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cardsim {

enum class InputKind { None, Ntsc480i, Ntsc480p, Hd1080i, Hd720p, Hd1080p, Unsupported };

struct InputTiming {
    int width = 0;
    int height = 0;
    int64_t frameDuration = 0;  // 100 ns
    bool interlaced = false;
    bool hasSignal = false;
};

// What IAMAnalogVideoDecoder reports: lock 0 without a signal, 1 interlaced, 2 progressive,
// and the total line count of the frame.
struct DecoderReading {
    long horizontalLocked = 0;
    long numberOfLines = 0;
};

constexpr long kLockNone = 0;
constexpr long kLockInterlaced = 1;
constexpr long kLockProgressive = 2;

InputTiming TimingOf(InputKind kind);
DecoderReading DecoderReadingOf(InputKind kind);

// Names used by the control values: "none", "480i", "480p", "1080i", "720p", "1080p", "unsupported".
std::optional<InputKind> ParseInputKind(std::string_view name);
std::string_view NameOf(InputKind kind);

}  // namespace cardsim
