// A filter's property pages in the platform's property frame.
#pragma once

#include <windows.h>
#include <dshow.h>

bool HasPropertyPages(IBaseFilter* filter);
// Does nothing for a filter without pages.
void ShowPropertyFrame(HWND owner, IBaseFilter* filter);
