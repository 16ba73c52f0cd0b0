// An object's property pages in the platform's modal property frame.
#pragma once

#include <windows.h>

bool HasPropertyPages(IUnknown* object);
// The frame's result; the query's or GetPages' failure for an object without pages.
HRESULT ShowPropertyFrame(IUnknown* object, HWND owner);
