#include "InputKind.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace cardsim {
namespace {

constexpr int64_t kNtscFrame = 333667;        // 29.97 frames per second
constexpr int64_t kNtscDoubleFrame = 166833;  // 59.94 frames per second
constexpr int64_t kPalFrame = 400000;         // 25 frames per second

struct InputRow {
    InputKind kind;
    std::string_view name;
    InputTiming timing;
    DecoderReading reading;
};

// The unsupported input is a 625-line interlaced picture: the decoder locks on it,
// but no capture format of the card matches.
constexpr std::array<InputRow, 7> kInputs{{
    {InputKind::None, "none", {0, 0, 0, false, false}, {kLockNone, 0}},
    {InputKind::Ntsc480i, "480i", {720, 480, kNtscFrame, true, true}, {kLockInterlaced, 525}},
    {InputKind::Ntsc480p, "480p", {720, 480, kNtscDoubleFrame, false, true}, {kLockProgressive, 525}},
    {InputKind::Hd1080i, "1080i", {1920, 1080, kNtscFrame, true, true}, {kLockInterlaced, 1125}},
    {InputKind::Hd720p, "720p", {1280, 720, kNtscDoubleFrame, false, true}, {kLockProgressive, 750}},
    {InputKind::Hd1080p, "1080p", {1920, 1080, kNtscDoubleFrame, false, true}, {kLockProgressive, 1125}},
    {InputKind::Unsupported, "unsupported", {720, 576, kPalFrame, true, true}, {kLockInterlaced, 625}},
}};

const InputRow& RowOf(InputKind kind)
{
    return kInputs[static_cast<size_t>(kind)];
}

}  // namespace

InputTiming TimingOf(InputKind kind)
{
    return RowOf(kind).timing;
}

DecoderReading DecoderReadingOf(InputKind kind)
{
    return RowOf(kind).reading;
}

std::optional<InputKind> ParseInputKind(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const InputRow& row : kInputs) {
        if (row.name == lower)
            return row.kind;
    }
    return std::nullopt;
}

std::string_view NameOf(InputKind kind)
{
    return RowOf(kind).name;
}

}  // namespace cardsim
