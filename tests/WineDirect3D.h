// Our prefixes set Wine's Direct3D to its GDI renderer (docs/contributing.md), which has no
// Direct3D 9 device: a case that needs the VMR-9 asks for Wine's OpenGL renderer instead,
// for the processes that load Direct3D while it lasts, and puts the prefix's setting back.
#pragma once

#include <windows.h>

#include <string>

#include "engine/CardTestSupport.h"

class WineOpenGlRenderer {
public:
    WineOpenGlRenderer()
    {
        if (!RunsUnderWine() || RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                                nullptr, &key_, nullptr) != ERROR_SUCCESS)
            return;
        wchar_t saved[32] = {};
        DWORD bytes = sizeof saved - sizeof(wchar_t);
        if (RegQueryValueExW(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &bytes) == ERROR_SUCCESS)
            saved_ = saved;
        Write(L"gl");
    }
    ~WineOpenGlRenderer()
    {
        if (!key_)
            return;
        if (saved_.empty())
            RegDeleteValueW(key_, kValue);
        else
            Write(saved_);
        RegCloseKey(key_);
    }
    WineOpenGlRenderer(const WineOpenGlRenderer&) = delete;
    WineOpenGlRenderer& operator=(const WineOpenGlRenderer&) = delete;

private:
    static constexpr wchar_t kKey[] = L"Software\\Wine\\Direct3D";
    static constexpr wchar_t kValue[] = L"renderer";

    void Write(const std::wstring& name)
    {
        RegSetValueExW(key_, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                       static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
    }

    HKEY key_ = nullptr;
    std::wstring saved_;
};
