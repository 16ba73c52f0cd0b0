// The settings sheet's pages and the audio format dialogs as Tavrik.exe holds them,
// drawn in their own font: captions, nothing outside or on top of another control,
// every text wide enough and drawable.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "../DialogLayout.h"

namespace {

struct Template {
    int id;
    const wchar_t* caption;
};

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

class SettingsTemplates : public ::testing::TestWithParam<Template> {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring exe = path;
        exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"Tavrik.exe";
        module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, module) << "Tavrik.exe next to the test";
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1200, 900, nullptr, nullptr, nullptr, nullptr);
        dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(GetParam().id), parent, QuietDialog, 0);
        ASSERT_NE(nullptr, dialog);
    }
    void TearDown() override
    {
        if (parent)
            DestroyWindow(parent);
        if (module)
            FreeLibrary(module);
    }

    HMODULE module = nullptr;
    HWND parent = nullptr;
    HWND dialog = nullptr;
};

TEST_P(SettingsTemplates, CaptionAndLayoutHoldInTheJapaneseFont)
{
    wchar_t caption[64] = L"";
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(GetParam().caption, caption);
    dialog_layout::ExpectInsideWithoutOverlap(dialog);
    dialog_layout::ExpectTextsFitAndHaveGlyphs(dialog);
}

INSTANTIATE_TEST_SUITE_P(EveryTemplate, SettingsTemplates,
                         ::testing::Values(Template{132, L"録画"}, Template{134, L"プレビュー"},
                                           Template{138, L"静止画"}, Template{135, L"その他"},
                                           Template{136, L"オーディオフォーマットの設定"},
                                           Template{137, L"出力フォーマットの選択"}));

}  // namespace
