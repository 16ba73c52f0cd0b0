// Strings from the program's resources and the program's message boxes.
#pragma once

#include <windows.h>

#include <string>

// The string of that id, empty when there is none.
std::wstring LoadResString(unsigned id);

// A modal message box captioned with the application title, owned by the main
// window when there is one.
int FwMessageBox(const std::wstring& text, UINT type);
