// Text forms of the settings that are stored as strings: the window state, the
// still image cropping rectangle and the still image scale.
#pragma once

#include <optional>
#include <string>

struct WindowState {
    int showCommand = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// "show,left,top,right,bottom". Anything but five numbers, or a rectangle without
// area, gives nothing: the window then opens with its default placement.
std::optional<WindowState> ParseWindowState(const std::wstring& text);
std::wstring FormatWindowState(const WindowState& state);

struct CropRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// "left,top,right,bottom". Reads the leading numbers it can and leaves the other
// members as they were.
void ParseCroppingRect(const std::wstring& text, CropRect& rect);
std::wstring FormatCroppingRect(const CropRect& rect);

// A decimal number; text that does not start with one gives 0.0.
double ParseScale(const std::wstring& text);
// "%f": 150 becomes "150.000000".
std::wstring FormatScale(double scale);
