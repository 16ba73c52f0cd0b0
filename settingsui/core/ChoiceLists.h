// The fixed items of the settings pages' combo boxes: text and item data, in order.
#pragma once

#include <array>

namespace settingsui {

struct Choice {
    const wchar_t* text;
    int data;
};

// Process priority classes; 0 leaves the priority alone.
inline constexpr std::array<Choice, 4> kPriorityChoices = {
    {{L"制御しない", 0}, {L"通常", 32}, {L"高", 128}, {L"リアルタイム", 256}}};
inline constexpr int kPriorityWhenNoneChosen = 32;

// Name rules: bit 0 time stamp, bit 1 size, bit 2 serial number.
inline constexpr std::array<Choice, 6> kNameRuleChoices = {{{L"タイムスタンプ", 1},
                                                            {L"タイムスタンプ+サイズ", 3},
                                                            {L"連番", 4},
                                                            {L"サイズ+連番", 6},
                                                            {L"タイムスタンプ+連番", 5},
                                                            {L"タイムスタンプ+サイズ+連番", 7}}};

inline constexpr std::array<const wchar_t*, 3> kColorConversionChoices = {L"SD BT.601/HD BT.709->RGB", L"BT.601->RGB",
                                                                          L"BT.709->RGB"};

struct ImageFormatChoice {
    const wchar_t* text;
    const wchar_t* mimeType;
};
inline constexpr std::array<ImageFormatChoice, 3> kImageFormatChoices = {
    {{L"BMP", L"image/bmp"}, {L"PNG", L"image/png"}, {L"JPEG", L"image/jpeg"}}};

}  // namespace settingsui
