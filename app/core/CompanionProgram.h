// The card maker's companion programs, started from the card's installation folder.
#pragma once

#include <optional>
#include <string>

inline constexpr wchar_t kSettingUtility[] = L"\\ZV_SetUtil.exe";
inline constexpr wchar_t kI2CUtility[] = L"\\ZV_I2CUtil.exe";
// The longest installation folder the settings take.
inline constexpr size_t kMaxCardFolderChars = 260;

// The folder, a backslash unless it ends with one, then `program` as it stands
// (so a doubled backslash before the name); nothing for a folder that is too long.
std::optional<std::wstring> CompanionProgramPath(const std::wstring& folder, const wchar_t* program);
