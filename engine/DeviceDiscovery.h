// Finding the card's capture filter among the video input devices.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>

constexpr wchar_t kCardDeviceName[] = L"Zelvan BDA Analog Capture Secondary";

// A text value of a device's property bag ("FriendlyName", "Description"); false when
// the bag has no such text.
bool ReadBagText(IPropertyBag* bag, const wchar_t* name, std::wstring& text);

// The first video input device whose "Description" (or, without one, its
// "FriendlyName") is exactly the card's name, bound to a filter.
HRESULT FindCardCaptureFilter(IBaseFilter** filter);
