// Fixed texts and numbers of the profile file format.
#pragma once

#include <cstdint>
#include <string_view>

namespace profiles {

inline constexpr std::u16string_view kMagic = u"TavrikProfile";
inline constexpr std::u16string_view kFormatVersion = u"v1.20";
inline constexpr std::uint32_t kStreamVersion = 1;

// Section markers of the filter streams.
inline constexpr std::u16string_view kNoDriverState = u"VFWN";
inline constexpr std::u16string_view kDriverState = u"VFWH";
inline constexpr std::u16string_view kNoPersistedState = u"PSN";
inline constexpr std::u16string_view kPersistedState = u"PSH";

// Display names that stand for "no device" or "no filter".
inline constexpr std::u16string_view kNullVideoDisplayName =
    u"@nullvideo:{00000000-0000-0000-0000-000000000000}{00000000-0000-0000-0000-000000000000}";
inline constexpr std::u16string_view kNullAudioDisplayName =
    u"@nullaudio:{00000000-0000-0000-0000-000000000000}{00000000-0000-0000-0000-000000000000}";

constexpr bool IsNullDisplayName(std::u16string_view displayName)
{
    return displayName == kNullVideoDisplayName || displayName == kNullAudioDisplayName;
}

}  // namespace profiles
