// Where a recording goes: the default folder without asking, or the save dialog
// that starts in the folder chosen last and remembers the one chosen now.
#pragma once

#include "MainSettings.h"
#include "core/OutputNames.h"

#include <windows.h>

#include <optional>
#include <string>

class ProfileStore;

// The full path of the recording, a fault when it cannot be made, or nothing when
// the user cancelled the dialog, which `owner` owns.
std::optional<NameResult> ChooseRecordFile(const std::wstring& name, const MainSettings& settings,
                                           ProfileStore& profile, HWND owner);
