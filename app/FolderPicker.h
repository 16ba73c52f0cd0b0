// The shell's folder picker, opened on a folder, for the settings pages.
#pragma once

#include <windows.h>

#include <string>

// Opens on `path`, or on `fallback` when `path` is empty. True and `path` replaced
// when a folder was chosen; false and `path` unchanged when cancelled or when the
// chosen folder has no file-system path that fits (the user is told).
bool BrowseForFolder(HWND owner, std::wstring& path, const std::wstring& title, const std::wstring& fallback);
