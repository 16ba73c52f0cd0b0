// Small helpers for the controls of a dialog or a page.
#pragma once

#include <windows.h>

#include <string>

bool IsItemChecked(HWND dialog, int id);
void CheckItem(HWND dialog, int id, bool checked);
void EnableItem(HWND dialog, int id, bool enabled);
std::wstring ItemText(HWND dialog, int id);

// Combo boxes whose items carry an integer as item data.
int ComboAdd(HWND dialog, int id, const std::wstring& text, LPARAM data);
// Selects the first item with that data; false (and no selection) when there is none.
bool ComboSelectData(HWND dialog, int id, LPARAM data);
// The selected item's data, or `none` when nothing is selected.
LPARAM ComboSelectedData(HWND dialog, int id, LPARAM none);
