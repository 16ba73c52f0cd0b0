// What the other and still image pages check before they may be left.
#pragma once

#include <functional>
#include <string>

namespace settingsui {

// Drops one trailing backslash.
void RemoveTrailingBackslash(std::wstring& path);

struct PathQueries {
    std::function<bool(const std::wstring&)> isDirectory;
    std::function<bool(const std::wstring&)> isFile;  // exists and is not a directory
};

struct GeneralPaths {
    bool recordRule = false;
    std::wstring recordFolder;
    std::wstring imageFolder;
    bool useConfigFile = false;
    std::wstring configFile;
};

// The first refusal's message, or empty when the page may be left. Removes one
// trailing backslash from the record folder and the configuration file on the way.
std::wstring CheckGeneralPaths(GeneralPaths& paths, const PathQueries& queries);

// A direct crop narrower or lower than 16 pixels.
bool CropAreaTooSmall(int left, int top, int right, int bottom);

}  // namespace settingsui
