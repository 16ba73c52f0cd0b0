// The name a multiplexer is given for a recording: Trelvox numbers its files
// and adds the extension itself, so it gets drive, folder and base name only.
#pragma once

#include <string>

namespace engine {

// The Trelvox filter's display name in the legacy DirectShow filter category.
inline constexpr wchar_t kTrelvoxMoniker[] =
    L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{D08CC138-30DF-4FCD-9B0E-D565343B6EF7}";

// The path without the extension of its last component (as _wsplitpath splits it).
std::wstring WithoutExtension(const std::wstring& path);

// What the multiplexer of the given display name receives for the path.
std::wstring MuxFileName(const std::wstring& muxDisplayName, const std::wstring& path);

}  // namespace engine
