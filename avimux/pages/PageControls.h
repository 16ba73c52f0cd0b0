// Reading and writing the controls of a property page's dialog.
#pragma once

#include <windows.h>

#include <string>

namespace trelvox {

std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);

bool IsItemChecked(HWND dialog, int id);
void SetItemChecked(HWND dialog, int id, bool checked);

// A drop-down list whose item index is the setting; its items are the strings
// firstStringId, firstStringId + 1, ... of this module.
void FillList(HWND dialog, int id, UINT firstStringId, int count);
void SelectListItem(HWND dialog, int id, DWORD index);
// The selected index, or fallback when nothing is selected.
DWORD SelectedListItem(HWND dialog, int id, DWORD fallback);

}  // namespace trelvox
