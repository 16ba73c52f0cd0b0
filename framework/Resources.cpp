#include "Resources.h"

#include "App.h"

std::wstring LoadResString(unsigned id)
{
    const wchar_t* text = nullptr;
    // A length of 0 gives a read-only pointer to the resource's own text.
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

int FwMessageBox(const std::wstring& text, UINT type)
{
    FwApp* app = FwApp::Current();
    HWND owner = nullptr;
    std::wstring caption;
    if (app) {
        caption = app->AppTitle();
        if (app->MainWnd() && app->MainWnd()->Handle())
            owner = GetLastActivePopup(app->MainWnd()->Handle());
        if (owner && !IsWindowEnabled(owner))
            owner = app->MainWnd()->Handle();
    }
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}
