// Tavrik's resources as the program loads them: menus, accelerators, strings,
// toolbar and dialogs carry exactly the system's texts and ids.
#include <windows.h>

#include <gtest/gtest.h>

#include "tavrik_version.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

class TavrikResources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring exe = path;
        exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"Tavrik.exe";
        module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }

    void SetUp() override { ASSERT_NE(nullptr, module) << "Tavrik.exe next to the test"; }

    static std::wstring String(UINT id)
    {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
        return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring(L"<missing>");
    }

    // One line per item: "POPUP text", "id text", "-" for a separator, "END".
    static void Dump(HMENU menu, std::vector<std::wstring>& lines)
    {
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[256] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
            info.dwTypeData = text;
            info.cch = 255;
            ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
            if (info.fType & MFT_SEPARATOR) {
                lines.push_back(L"-");
            } else if (info.hSubMenu) {
                lines.push_back(std::wstring(L"POPUP ") + text);
                Dump(info.hSubMenu, lines);
                lines.push_back(L"END");
            } else {
                lines.push_back(std::to_wstring(info.wID) + L" " + text);
            }
        }
    }

    static std::vector<std::wstring> Menu(UINT id)
    {
        std::vector<std::wstring> lines;
        HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(id));
        EXPECT_NE(nullptr, menu);
        if (menu) {
            Dump(menu, lines);
            DestroyMenu(menu);
        }
        return lines;
    }

    static HMODULE module;
};

HMODULE TavrikResources::module = nullptr;

const std::vector<std::wstring> kViewItems = {L"32821 25%\tCtrl+↑",
                                              L"32822 50%",
                                              L"32823 75%",
                                              L"32824 100%",
                                              L"32825 150%",
                                              L"32826 200% \tCtrl+↓",
                                              L"-",
                                              L"32811 4:3\tCtrl+←",
                                              L"32812 16:9",
                                              L"32813 4:3LB",
                                              L"32814 16:9PAN",
                                              L"32815 16:9ZOOM\tCtrl+→",
                                              L"32810 フリー",
                                              L"-",
                                              L"32841 ウィンドウスタイルの変更(&A)\tCtrl+T",
                                              L"32842 常に最前面に表示(&O)"};

TEST_F(TavrikResources, MainMenuHoldsEveryCommandInOrder)
{
    std::vector<std::wstring> expected = {L"POPUP ファイル(&F)",
                                          L"32783 プレビュー(&P)\tCtrl+P",
                                          L"-",
                                          L"32781 録画開始(&R)\tCtrl+R",
                                          L"32782 録画停止(&S)\tCtrl+S",
                                          L"32784 静止画(&I)\tCtrl+I",
                                          L"-",
                                          L"57665 アプリケーションの終了(&X)",
                                          L"END",
                                          L"POPUP 設定(&P)",
                                          L"32870 設定(&R)...\tCtrl+F",
                                          L"-",
                                          L"32795 自動",
                                          L"32796 480i",
                                          L"32797 480p",
                                          L"32798 1080i",
                                          L"32799 720p",
                                          L"-",
                                          L"32790 SPDIF入力(&S)",
                                          L"32791 アナログ入力(&A)",
                                          L"-",
                                          L"32802 Overlay",
                                          L"32800 VMR7",
                                          L"32801 VMR9",
                                          L"-",
                                          L"32792 消音(&M)\tCtrl+U",
                                          L"END",
                                          L"POPUP 表示(&V)",
                                          L"59392 ツール バー(&T)",
                                          L"59393 ステータス バー(&S)",
                                          L"32840 インフォメーションバー(&I)",
                                          L"-"};
    expected.insert(expected.end(), kViewItems.begin(), kViewItems.end());
    const std::vector<std::wstring> rest = {L"END",
                                            L"POPUP 情報(&I)",
                                            L"32872 クロスバー(&X)...",
                                            L"32873 キャプチャー(&C)...",
                                            L"32874 プレビューピン(&P)...",
                                            L"32875 キャプチャーピン(&V)...",
                                            L"32879 ビデオレンダラー(&I)...",
                                            L"32880 オーディオレンダラー(&A)...",
                                            L"END",
                                            L"POPUP 特殊(&S)",
                                            L"32830 負荷スレッド起動(&S)",
                                            L"32832 設定ユーティリティ起動(&P)",
                                            L"32831 I2Cユーティリティ起動(&I)",
                                            L"END",
                                            L"POPUP ヘルプ(&H)",
                                            L"57664 Tavrik のバージョン情報(&A)...",
                                            L"END"};
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(expected, Menu(128));
}

TEST_F(TavrikResources, ViewContextMenuHoldsScaleAspectAndWindowItems)
{
    std::vector<std::wstring> expected = {L"POPUP 表示(&V)"};
    expected.insert(expected.end(), kViewItems.begin(), kViewItems.end());
    expected.push_back(L"END");
    EXPECT_EQ(expected, Menu(134));
}

TEST_F(TavrikResources, AcceleratorsAreCtrlKeysPlusTheStandardEditingKeys)
{
    HACCEL table = LoadAcceleratorsW(module, MAKEINTRESOURCEW(128));
    ASSERT_NE(nullptr, table);
    std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
    CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
    DestroyAcceleratorTable(table);

    using Key = std::tuple<int, int, int>;  // flags, key, command
    std::vector<Key> actual;
    for (const ACCEL& a : entries)
        actual.emplace_back(a.fVirt & ~FNOINVERT, a.key, a.cmd);
    const int ctrl = FVIRTKEY | FCONTROL;
    const std::vector<Key> expected = {{ctrl, 'P', 32783},
                                       {ctrl, 'R', 32781},
                                       {ctrl, 'S', 32782},
                                       {ctrl, 'I', 32784},
                                       {ctrl, 'F', 32870},
                                       {ctrl, 'U', 32792},
                                       {ctrl, 'T', 32841},
                                       {ctrl, VK_UP, 32867},
                                       {ctrl, VK_DOWN, 32868},
                                       {ctrl, VK_LEFT, 32869},
                                       {ctrl, VK_RIGHT, 32871},
                                       {ctrl, 'C', 57634},
                                       {ctrl, VK_INSERT, 57634},
                                       {ctrl, 'X', 57635},
                                       {FVIRTKEY | FSHIFT, VK_DELETE, 57635},
                                       {ctrl, 'V', 57637},
                                       {FVIRTKEY | FSHIFT, VK_INSERT, 57637},
                                       {ctrl, 'Z', 57643},
                                       {FVIRTKEY | FALT, VK_BACK, 57643},
                                       {FVIRTKEY, VK_F6, 57680},
                                       {FVIRTKEY | FSHIFT, VK_F6, 57681}};
    EXPECT_EQ(expected, actual);
}

TEST_F(TavrikResources, StringTableHoldsTitlesPanesAndEveryPromptWithItsTooltip)
{
    const std::vector<std::pair<UINT, std::wstring>> expected = {
        {128, L"Tavrik"},
        {57344, L"Tavrik"},
        {57345, L"レディ"},
        {100, L"OLE の初期化に失敗しました。OLE ライブラリのバージョンが正しいことを確認してください。"},
        {101, L"No Signal."},
        {102, L"XXXXXXXXX"},
        {32781, L"録画の開始\n録画の開始"},
        {32782, L"録画の停止\n録画の停止"},
        {32783, L"プレビューの開始・終了\nプレビューの開始・終了"},
        {32790, L"音声入力をSPDIFに切り替える\n音声入力をSPDIFに切り替える"},
        {32791, L"音声入力をアナログFに切り替える\n音声入力をアナログFに切り替える"},
        {32792, L"音声モニターを消音にする\n音声モニターを消音にする"},
        {32800,
         L"ビデオ表示方法をVideo Mixing Renderer 7に切り替える\nビデオ表示方法をVideo Mixing Renderer 7に切り替える"},
        {32801,
         L"ビデオ表示方法をVideo Mixing Renderer 9に切り替える\nビデオ表示方法をVideo Mixing Renderer 9に切り替える"},
        {32802, L"ビデオ表示方法をオーバーレイに切り替える\nビデオ表示方法をオーバーレイに切り替える"},
        {32810, L"画面のアスペクト比を固定しない\n画面のアスペクト比を固定しない"},
        {32811, L"画面のアスペクト比を4:3に変更する\n画面のアスペクト比を4:3に変更"},
        {32812, L"画面のアスペクト比を16:9に変更する\n画面のアスペクト比を16:9に変更"},
        {32813, L"画面のアスペクト比を4:3レターボックスに変更する\n画面のアスペクト比を4:3レターボックスに変更"},
        {32814, L"画面のアスペクト比を16:9パンスキャンに変更する\n画面のアスペクト比を16:9パンスキャンに変更"},
        {32815, L"画面のアスペクト比を16:9ズーム変更する\n画面のアスペクト比を16:9ズームに変更"},
        {32821, L"画面サイズを25%に変更する\n画面サイズを25%に変更"},
        {32822, L"画面サイズを50%に変更する\n画面サイズを50%に変更"},
        {32823, L"画面サイズを75%に変更する\n画面サイズを75%に変更"},
        {32824, L"画面サイズを100%に変更する\n画面サイズを100%に変更"},
        {32825, L"画面サイズを150%に変更する\n画面サイズを150%に変更"},
        {32826, L"画面サイズを200%に変更する\n画面サイズを200%に変更"},
        {32830, L"負荷スレッドを起動しCPUクロックが落ちるのを防ぐ\n負荷スレッドを起動しCPUクロックが落ちるのを防ぐ"},
        {32831, L"Zelvan I2Cユーティリティを起動する\nZelvan I2Cユーティリティを起動"},
        {32832, L"Zelvan 設定ユーティリティを起動する\nZelvan 設定ユーティリティを起動"},
        {32840, L"インフォメーションバーの 表示/非表示\nインフォメーションバーの表示切り替え"},
        {32841, L"ウィンドウスタイルの通常と枠のみを切り替える\nウィンドウスタイルの通常と枠のみを切替"},
        {32842, L"ウィンドウを常に差前面に表示する\nウィンドウを常に差前面に表示"},
        {32870, L"Tavrikの設定\nTavrikの設定"},
        {32872, L"クロスバーフィルターのプロパティを表示する\nクロスバーフィルターのプロパティを表示"},
        {32873,
         L"キャプチャーデバイスフィルターのプロパティを表示する\nキャプチャーデバイスフィルターのプロパティを表示"},
        {32874, L"プレビューピンのプロパティを表示する\nプレビューピンのプロパティを表示"},
        {32875, L"キャプチャーピンのプロパティを表示する\nキャプチャーピンのプロパティを表示"},
        {32879, L"ビデオレンダラーフィルターのプロパティを表示する\nビデオレンダラーフィルターのプロパティを表示"},
        {32880, L"オーディオレンダラーフィルターのプロパティを表示する\nオーディオレンダラーのプロパティを表示"},
    };
    for (const auto& [id, text] : expected)
        EXPECT_EQ(text, String(id)) << "string " << id;
    // The framework's own commands have a prompt and a tooltip of their own.
    for (UINT id : {57664u, 57665u, 59392u, 59393u})
        EXPECT_NE(std::wstring::npos, String(id).find(L'\n')) << "string " << id;
}

TEST_F(TavrikResources, ToolbarHoldsFiveButtonsOfSixteenByFifteen)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(128), MAKEINTRESOURCEW(241));
    ASSERT_NE(nullptr, found);
    ASSERT_EQ(18u, SizeofResource(module, found));
    const auto* words = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    const std::vector<WORD> actual(words, words + 9);
    EXPECT_EQ((std::vector<WORD>{1, 16, 15, 5, 32783, 32781, 32782, 32784, 32870}), actual);

    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(128), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(nullptr, bitmap);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(80, info.bmWidth);
    EXPECT_EQ(15, info.bmHeight);
    DeleteObject(bitmap);
    EXPECT_NE(nullptr, LoadImageW(module, MAKEINTRESOURCEW(128), IMAGE_ICON, 32, 32, 0));
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct Control {
    int id;
    std::wstring text;
    bool visible;
};

std::wstring WindowText(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

RECT RectIn(HWND parent, HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class InformationBarTemplate : public TavrikResources {
protected:
    void SetUp() override
    {
        TavrikResources::SetUp();
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1200, 200, nullptr, nullptr, nullptr, nullptr);
        bar = CreateDialogParamW(module, MAKEINTRESOURCEW(131), parent, QuietDialog, 0);
        ASSERT_NE(nullptr, bar);
    }
    void TearDown() override { DestroyWindow(parent); }

    HWND parent = nullptr;
    HWND bar = nullptr;
};

TEST_F(InformationBarTemplate, HasItsLabelsAndFieldsInOrder)
{
    EXPECT_FALSE(GetWindowLongW(bar, GWL_STYLE) & WS_CAPTION);
    const std::vector<Control> expected = {
        {-1, L"状態", true},
        {1004, L"", true},
        {-1, L"録画時間", true},
        {1005, L"00:00:00", true},
        {-1, L"終了時間", false},
        {1006, L"00:00:00", false},
        {-1, L"キャプチャー", true},
        {1007, L"", true},
        {-1, L"ビデオフレーム", true},
        {1008, L"", true},
        {-1, L"ドロップフレーム", true},
        {1015, L"", true},
        {-1, L"(計算値)", true},
        {-1, L"ビデオレンダラー", true},
        {1009, L"", true},
        {-1, L"ドロップフレーム", true},
        {1010, L"", true},
        {-1, L"平均フレームレート", true},
        {1011, L"", true},
        {-1, L"VC", true},
        {1028, L"", true},
        {-1, L"AC", true},
        {1029, L"", true},
        {-1, L"Mux", true},
        {1030, L"", true},
    };
    HWND child = GetWindow(bar, GW_CHILD);
    for (const Control& control : expected) {
        ASSERT_NE(nullptr, child) << "missing control " << control.id;
        EXPECT_EQ(control.id, static_cast<int>(static_cast<short>(GetDlgCtrlID(child))));
        EXPECT_EQ(control.text, WindowText(child));
        EXPECT_EQ(control.visible, (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0) << control.id;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, child) << "no further controls";
    for (int rightAligned : {1008, 1015})
        EXPECT_EQ(SS_RIGHT, GetWindowLongW(GetDlgItem(bar, rightAligned), GWL_STYLE) & SS_TYPEMASK);
}

TEST_F(InformationBarTemplate, ControlsLieInsideTheBarWithoutOverlapping)
{
    RECT client;
    GetClientRect(bar, &client);
    std::vector<HWND> controls;
    for (HWND child = GetWindow(bar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    for (size_t i = 0; i < controls.size(); ++i) {
        const RECT a = RectIn(bar, controls[i]);
        RECT inside;
        IntersectRect(&inside, &a, &client);
        EXPECT_TRUE(EqualRect(&inside, &a)) << "outside the bar: control " << i;
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const RECT b = RectIn(bar, controls[j]);
            RECT common;
            EXPECT_FALSE(IntersectRect(&common, &a, &b)) << "controls " << i << " and " << j << " overlap";
        }
    }
}

// Every label, and every text a field shows but for the profile's filter names,
// fits its control in the bar's own font, and that font has their glyphs.
TEST_F(InformationBarTemplate, TextsFitTheirControlsInTheBarsFont)
{
    std::vector<std::pair<HWND, std::wstring>> texts;
    for (HWND child = GetWindow(bar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (static_cast<short>(GetDlgCtrlID(child)) == -1)
            texts.emplace_back(child, WindowText(child));
    }
    const std::vector<std::pair<int, std::vector<std::wstring>>> shown = {
        {1004, {L"プレビュー中", L"録画中", L"信号検出中", L"停止中"}},
        {1005, {L"00:00:00", L"999:59:59"}},
        {1008, {L"99999999"}},
        {1015, {L"-9999999"}},
        {1009, {L"オーバーレイ", L"VMR7", L"VMR9", L"N/A"}},
        {1010, {L"-1", L"9999999"}},
        {1011, {L"-0.01", L"120.00"}},
        {1028, {L"N/A"}},
    };
    for (const auto& [id, values] : shown) {
        for (const std::wstring& value : values)
            texts.emplace_back(GetDlgItem(bar, id), value);
    }
    HDC dc = GetDC(bar);
    for (const auto& [control, text] : texts) {
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(dc, previous);
        const RECT rect = RectIn(bar, control);
        const std::string name =
            std::to_string(GetDlgCtrlID(control)) + " with " + std::to_string(text.size()) + " characters";
        EXPECT_LE(extent.cx, rect.right - rect.left) << "clipped text in " << name;
        EXPECT_LE(extent.cy, rect.bottom - rect.top) << "clipped text in " << name;
        for (WORD glyph : glyphs)
            EXPECT_NE(0xFFFF, glyph) << "a character without a glyph in " << name;
    }
    ReleaseDC(bar, dc);
}

TEST_F(TavrikResources, AboutBoxShowsIconVersionAndOk)
{
    HWND about = CreateDialogParamW(module, MAKEINTRESOURCEW(100), nullptr, QuietDialog, 0);
    ASSERT_NE(nullptr, about);
    EXPECT_EQ(L"Tavrikのバージョン情報", WindowText(about));
    EXPECT_EQ(L"OK", WindowText(GetDlgItem(about, IDOK)));
    bool icon = false, version = false;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        icon = icon || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        version = version || WindowText(child) == L"" TAVRIK_VERSION_LINE;
    }
    EXPECT_TRUE(icon);
    EXPECT_TRUE(version);
    DestroyWindow(about);
}

}  // namespace
