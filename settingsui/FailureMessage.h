// A failure told in a message box: the text, then the code as "(%08x)".
#pragma once

#include <windows.h>

void ShowFailure(const wchar_t* text, HRESULT hr, UINT icon = MB_ICONHAND);
