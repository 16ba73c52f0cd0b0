// The simulated card's control values and small graph helpers for the tests
// that run the engine against it.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>

inline void SetCardValue(const wchar_t* name, const std::wstring& text)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\ZelvanSim", name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline void SetCardValue(const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\ZelvanSim", name, REG_DWORD, &value, sizeof value);
}

// Wine's ntdll exports its version; Windows' does not.
inline bool RunsUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

inline void ResetCard()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZelvanSim");
}

// A plain top-level window to own the video and receive the graph's events.
inline HWND MakeHostWindow()
{
    return CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 400, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}
