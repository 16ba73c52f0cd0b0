// Finding the card's capture filter among the video input devices.
#pragma once

#include <windows.h>
#include <dshow.h>

constexpr wchar_t kCardDeviceName[] = L"Zelvan BDA Analog Capture Secondary";

// The first video input device whose "Description" (or, without one, its
// "FriendlyName") is exactly the card's name, bound to a filter.
HRESULT FindCardCaptureFilter(IBaseFilter** filter);
