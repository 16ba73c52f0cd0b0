// Opens the settings sheet of the real Tavrik.exe, turns to each page and opens both
// audio format dialogs, and saves what the screen shows of each as <folder>\<name>.bmp,
// for looking at them by eye:   settings_shots.exe <folder>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "../engine/CardTestSupport.h"
#include "ScreenPicture.h"
#include "SheetDriver.h"

namespace {

bool Save(HWND window, const std::wstring& folder, const wchar_t* name)
{
    Sleep(1500);
    const bool saved = ScreenPicture::Of(window).SaveBmp(folder + L"\\" + name + L".bmp");
    std::printf("%ls: %s\n", name, saved ? "saved" : "failed");
    return saved;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        return 2;
    const std::wstring folder = argv[1];
    ResetCard();
    SetCardValue(L"Input", L"480i");
    TavrikRun run;
    if (!run.Window())
        return 1;
    WaitFor([&] { return PaneText(run.Id(), run.Window(), 0) == L"プレビュー中"; });
    HWND sheet = OpenSettingsSheet(run);
    if (!sheet)
        return 1;
    HWND page = CurrentPage(sheet);
    PickComboItem(page, 1013, L" 無圧縮");
    PickComboItem(page, 1014, L"Stand-in G.711 Audio Compressor");
    PickComboItem(page, 1018, L"Pelkor AVI Mux");
    const wchar_t* names[] = {L"page-record", L"page-preview", L"page-still-image", L"page-other"};
    for (int i = 0; i < 4; ++i) {
        TurnToPage(sheet, i);
        WaitFor([&] { return CurrentPageIndex(sheet) == i; }, 5000);
        Save(sheet, folder, names[i]);
    }
    TurnToPage(sheet, 0);
    WaitFor([&] { return CurrentPageIndex(sheet) == 0; }, 5000);
    Click(CurrentPage(sheet), 1019);
    HWND dialog = WaitForDialog(run.Id(), L"オーディオフォーマットの設定");
    if (dialog) {
        Save(dialog, folder, L"audio-format");
        SelectListViewRow(run.Id(), GetDlgItem(dialog, 1040), 2);
        Click(dialog, 1041);
        if (HWND detail = WaitForDialog(run.Id(), L"出力フォーマットの選択")) {
            Save(detail, folder, L"audio-format-detail");
            PostMessageW(GetDlgItem(detail, IDCANCEL), BM_CLICK, 0, 0);
        }
        Sleep(500);
        PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    }
    Sleep(500);
    PostMessageW(GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
    Sleep(500);
    ResetCard();
    return 0;
}
