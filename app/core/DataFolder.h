// Where the profile files live: <local application data>\<application title>\Data\.
#pragma once

#include <optional>
#include <string>

// The longest path the file functions take, terminating null included.
inline constexpr size_t kMaxPathLength = 260;

// The folders to make, in order, and the data folder itself with its trailing
// backslash. Nothing when the data folder with `longestFileName` in it would not
// fit a path of kMaxPathLength characters.
struct DataFolderPaths {
    std::wstring titleFolder;
    std::wstring dataFolderWithoutSlash;
    std::wstring dataFolder;
};
std::optional<DataFolderPaths> MakeDataFolderPaths(const std::wstring& localAppData, const std::wstring& title,
                                                   const std::wstring& longestFileName);
