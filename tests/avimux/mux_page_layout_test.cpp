// The property pages as drawn: every control inside its page, none on top of another,
// every label and list item wide enough for its text in the page's font, and that
// font able to draw the Japanese texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../DialogLayout.h"
#include "MuxGraphSupport.h"
#include "MuxGuids.h"

namespace {

using dialog_layout::Controls;
using dialog_layout::TextExtent;

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
        frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr, nullptr, nullptr,
                                nullptr);
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
    dialog_layout::ExpectInsideWithoutOverlap(dialog);
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

TEST_P(MuxPageLayoutTest, ListItemsFitTheirClosedList)
{
    HDC dc = GetDC(dialog);
    for (const dialog_layout::Control& c : Controls(dialog)) {
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
    dialog_layout::ExpectTextsFitAndHaveGlyphs(dialog);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, MuxPageLayoutTest,
                         ::testing::Values(&CLSID_MuxCommonPage, &CLSID_MuxAvi1Page, &CLSID_MuxStatisticsPage,
                                           &CLSID_MuxTimeShiftPage));

}  // namespace
