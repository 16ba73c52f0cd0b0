// The property pages as drawn: every control inside its page, none on top of another,
// every label and list item wide enough for its text in the page's font, and that
// font able to draw the Japanese texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MuxGraphSupport.h"
#include "MuxGuids.h"

namespace {

struct Control {
    HWND window;
    std::wstring text;
    RECT rect;  // in the page's client coordinates
    bool groupBox;
    bool checkBox;
    bool label;
    bool comboBox;
};

std::vector<Control> Controls(HWND dialog)
{
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Control c{child, L"", {}, false, false, false, false};
        wchar_t text[256] = L"";
        GetWindowTextW(child, text, 256);
        c.text = text;
        GetWindowRect(child, &c.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&c.rect), 2);
        wchar_t className[32] = L"";
        GetClassNameW(child, className, 32);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const bool button = _wcsicmp(className, L"Button") == 0;
        c.groupBox = button && (style & BS_TYPEMASK) == BS_GROUPBOX;
        c.checkBox = button && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
        c.label = _wcsicmp(className, L"Static") == 0;
        c.comboBox = _wcsicmp(className, L"ComboBox") == 0;
        controls.push_back(c);
    }
    return controls;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

class MuxPageLayoutTest : public ::testing::TestWithParam<const CLSID*> {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_EQ(S_OK, BindMuxByMoniker(&mux));
        ASSERT_EQ(S_OK, CoCreateInstance(*GetParam(), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)));
        IUnknown* object = mux.Get();
        ASSERT_EQ(S_OK, page->SetObjects(1, &object));
        PROPPAGEINFO info{};
        ASSERT_EQ(S_OK, page->GetPageInfo(&info));
        CoTaskMemFree(info.pszTitle);
        frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr, nullptr,
                                nullptr, nullptr);
        const RECT rect{0, 0, info.size.cx, info.size.cy};
        ASSERT_EQ(S_OK, page->Activate(frame, &rect, FALSE));
        dialog = GetWindow(frame, GW_CHILD);
        ASSERT_NE(nullptr, dialog);
    }

    void TearDown() override
    {
        if (page) {
            page->Deactivate();
            page->SetObjects(0, nullptr);
        }
        page.Reset();
        mux.Reset();
        if (frame)
            DestroyWindow(frame);
        CoUninitialize();
    }

    ComPtr<IBaseFilter> mux;
    ComPtr<IPropertyPage> page;
    HWND frame = nullptr;
    HWND dialog = nullptr;
};

TEST_P(MuxPageLayoutTest, ControlsLieInsideThePageWithoutOverlapping)
{
    RECT client;
    GetClientRect(dialog, &client);
    const std::vector<Control> controls = Controls(dialog);
    ASSERT_FALSE(controls.empty());
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& a = controls[i];
        EXPECT_TRUE(Inside(a.rect, client)) << "outside the page: " << GetDlgCtrlID(a.window);
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

std::vector<std::wstring> ListItems(HWND combo)
{
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[64] = L"";
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

SIZE TextExtent(HDC dc, HWND control, const std::wstring& text)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    return extent;
}

TEST_P(MuxPageLayoutTest, ListItemsFitTheirClosedList)
{
    HDC dc = GetDC(dialog);
    for (const Control& c : Controls(dialog)) {
        if (!c.comboBox)
            continue;
        const int room = c.rect.right - c.rect.left - GetSystemMetrics(SM_CXVSCROLL) - 4 * GetSystemMetrics(SM_CXEDGE);
        const std::vector<std::wstring> items = ListItems(c.window);
        EXPECT_FALSE(items.empty()) << GetDlgCtrlID(c.window);
        for (const std::wstring& item : items)
            EXPECT_LE(TextExtent(dc, c.window, item).cx, room) << "clipped item in " << GetDlgCtrlID(c.window);
    }
    ReleaseDC(dialog, dc);
}

TEST_P(MuxPageLayoutTest, LabelsAreWideEnoughAndTheFontDrawsTheirText)
{
    HDC dc = GetDC(dialog);
    for (const Control& c : Controls(dialog)) {
        if (c.text.empty() || !(c.label || c.checkBox || c.groupBox))
            continue;
        const SIZE extent = TextExtent(dc, c.window, c.text);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c.window, WM_GETFONT, 0, 0)));
        std::vector<WORD> glyphs(c.text.size());
        GetGlyphIndicesW(dc, c.text.c_str(), static_cast<int>(c.text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(dc, previous);

        int room = c.rect.right - c.rect.left;
        if (c.checkBox)
            room -= GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
        if (c.groupBox)
            room -= 16;  // the frame's corners around the caption
        const std::string name = std::to_string(GetDlgCtrlID(c.window));
        EXPECT_LE(extent.cx, room) << "clipped text in " << name;
        if (c.label) {
            EXPECT_LE(extent.cy, c.rect.bottom - c.rect.top) << "clipped text in " << name;
        }
        for (WORD glyph : glyphs)
            EXPECT_NE(0xFFFF, glyph) << "a character without a glyph in " << name;
    }
    ReleaseDC(dialog, dc);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, MuxPageLayoutTest,
                         ::testing::Values(&CLSID_MuxCommonPage, &CLSID_MuxAvi1Page, &CLSID_MuxStatisticsPage,
                                           &CLSID_MuxTimeShiftPage));

}  // namespace
