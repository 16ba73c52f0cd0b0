// Layout checks for a dialog as drawn: every control inside it, none on top of
// another (a group box may hold controls), every text wide enough in its control's
// font, and that font able to draw every character.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dialog_layout {

struct Control {
    HWND window;
    std::wstring text;
    RECT rect;  // in the dialog's client coordinates
    bool groupBox;
    bool checkBox;
    bool label;
    bool comboBox;
};

inline std::vector<Control> Controls(HWND dialog)
{
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Control c{child, L"", {}, false, false, false, false};
        wchar_t text[512] = L"";
        GetWindowTextW(child, text, 512);
        c.text = text;
        GetWindowRect(child, &c.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&c.rect), 2);
        wchar_t className[32] = L"";
        GetClassNameW(child, className, 32);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const bool button = _wcsicmp(className, L"Button") == 0;
        const LONG kind = style & BS_TYPEMASK;
        c.groupBox = button && kind == BS_GROUPBOX;
        c.checkBox = button && (kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON);
        c.label = _wcsicmp(className, L"Static") == 0;
        c.comboBox = _wcsicmp(className, L"ComboBox") == 0;
        controls.push_back(c);
    }
    return controls;
}

inline bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

inline bool Overlap(const RECT& a, const RECT& b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

inline SIZE TextExtent(HDC dc, HWND control, const std::wstring& text)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    return extent;
}

inline void ExpectInsideWithoutOverlap(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    const std::vector<Control> controls = Controls(dialog);
    ASSERT_FALSE(controls.empty());
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& a = controls[i];
        EXPECT_TRUE(Inside(a.rect, client)) << "outside the dialog: " << GetDlgCtrlID(a.window);
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const Control& b = controls[j];
            if (a.groupBox || b.groupBox) {
                const RECT& group = a.groupBox ? a.rect : b.rect;
                const RECT& other = a.groupBox ? b.rect : a.rect;
                EXPECT_TRUE(Inside(other, group) || !Overlap(other, group))
                    << "across a group's frame: " << GetDlgCtrlID(a.window) << ", " << GetDlgCtrlID(b.window);
            } else {
                EXPECT_FALSE(Overlap(a.rect, b.rect))
                    << "overlap: " << GetDlgCtrlID(a.window) << ", " << GetDlgCtrlID(b.window);
            }
        }
    }
}

// Labels, check boxes, radio buttons and group captions; a label of several lines
// may wrap, so its text must fit its area instead of one line.
inline void ExpectTextsFitAndHaveGlyphs(HWND dialog)
{
    HDC dc = GetDC(dialog);
    for (const Control& c : Controls(dialog)) {
        if (c.text.empty() || !(c.label || c.checkBox || c.groupBox))
            continue;
        const std::string name = std::to_string(GetDlgCtrlID(c.window));
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c.window, WM_GETFONT, 0, 0)));
        std::wstring drawnText = c.text;  // line breaks are not drawn
        std::erase(drawnText, L'\n');
        std::vector<WORD> glyphs(drawnText.size());
        GetGlyphIndicesW(dc, drawnText.c_str(), static_cast<int>(drawnText.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS);
        int room = c.rect.right - c.rect.left;
        if (c.checkBox)
            room -= GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
        if (c.groupBox)
            room -= 16;  // the frame's corners around the caption
        RECT drawn{0, 0, room, 0};
        DrawTextW(dc, c.text.c_str(), static_cast<int>(c.text.size()), &drawn, DT_CALCRECT | DT_WORDBREAK);
        SelectObject(dc, previous);
        const SIZE extent = TextExtent(dc, c.window, c.text);
        if (c.label && drawn.bottom > extent.cy) {
            EXPECT_LE(drawn.right, room) << "clipped line in " << name << ": " << drawn.right << " wide";
            EXPECT_LE(drawn.bottom, c.rect.bottom - c.rect.top)
                << "clipped lines in " << name << ": " << drawn.bottom << " high";
        } else {
            EXPECT_LE(extent.cx, room) << "clipped text in " << name << ": " << extent.cx << " wide, room " << room;
            if (c.label) {
                EXPECT_LE(extent.cy, c.rect.bottom - c.rect.top) << "clipped text in " << name;
            }
        }
        for (WORD glyph : glyphs)
            EXPECT_NE(0xFFFF, glyph) << "a character without a glyph in " << name;
    }
    ReleaseDC(dialog, dc);
}

}  // namespace dialog_layout
