// CBasePropertyPage on a dialog of this program, driven as a property frame would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dshowbase/streams.h"
#include "TestPageSite.h"
#include "PropertyPageTestIds.h"

namespace {

class TestPage : public CBasePropertyPage {
public:
    explicit TestPage(std::vector<std::string>& calls)
        : CBasePropertyPage(L"TestPage", nullptr, IDD_TEST_PAGE, IDS_TEST_PAGE_TITLE),
          m_calls(calls)
    {
    }

    HWND Window() const { return m_hwnd; }
    HRESULT applyResult = S_OK;

    HRESULT connectResult = S_OK;

    HRESULT OnConnect(IUnknown*) override
    {
        Record("connect");
        return connectResult;
    }
    HRESULT OnDisconnect() override { return Record("disconnect"); }
    HRESULT OnActivate() override { return Record("activate"); }
    HRESULT OnDeactivate() override { return Record("deactivate"); }
    HRESULT OnApplyChanges() override
    {
        Record("apply");
        return applyResult;
    }
    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
            SetDirty();
            return TRUE;
        }
        return CBasePropertyPage::OnReceiveMessage(hwnd, uMsg, wParam, lParam);
    }

private:
    HRESULT Record(const char* call)
    {
        m_calls.push_back(call);
        return S_OK;
    }

    std::vector<std::string>& m_calls;
};

IPropertyPage* AsPage(TestPage* page)
{
    IPropertyPage* result = nullptr;
    page->NonDelegatingQueryInterface(IID_IPropertyPage, reinterpret_cast<void**>(&result));
    return result;
}

TEST(CBasePropertyPage, FollowsThePropertyFrameThroughItsLife)
{
    ASSERT_EQ(0, CBaseObject::ObjectsActive());
    std::vector<std::string> calls;
    auto* page = new TestPage(calls);
    IPropertyPage* frameView = AsPage(page);
    ASSERT_NE(nullptr, frameView);

    HWND parent = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    RECT rect{10, 20, 210, 140};
    EXPECT_EQ(E_UNEXPECTED, frameView->Activate(parent, &rect, FALSE)) << "no object yet";
    EXPECT_EQ(E_UNEXPECTED, frameView->Apply());
    EXPECT_EQ(E_UNEXPECTED, frameView->SetPageSite(nullptr)) << "no site to drop";

    IUnknown* object = frameView;
    EXPECT_EQ(E_POINTER, frameView->SetObjects(1, nullptr));
    ASSERT_EQ(S_OK, frameView->SetObjects(1, &object));
    TestPageSite site;
    ASSERT_EQ(S_OK, frameView->SetPageSite(&site));
    EXPECT_EQ(E_UNEXPECTED, frameView->SetPageSite(&site)) << "a second site";

    PROPPAGEINFO info{};
    ASSERT_EQ(S_OK, frameView->GetPageInfo(&info));
    EXPECT_EQ(std::wstring(L"テスト"), info.pszTitle);
    EXPECT_GT(info.size.cx, 0);
    EXPECT_GT(info.size.cy, 0);
    CoTaskMemFree(info.pszTitle);

    ASSERT_EQ(S_OK, frameView->Activate(parent, &rect, FALSE));
    EXPECT_EQ(E_UNEXPECTED, frameView->Activate(parent, &rect, FALSE)) << "already active";
    HWND dialog = page->Window();
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_EQ(parent, GetParent(dialog));
    RECT placed{};
    GetWindowRect(dialog, &placed);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(200, placed.right - placed.left);
    EXPECT_EQ(E_INVALIDARG, frameView->Show(SW_MINIMIZE));

    // An edit makes the page dirty and tells the site; Apply commits and cleans.
    EXPECT_EQ(S_FALSE, frameView->IsPageDirty());
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TEST_EDIT, EN_CHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_TEST_EDIT)));
    EXPECT_EQ(S_OK, frameView->IsPageDirty());
    ASSERT_EQ(1u, site.statusChanges.size());
    EXPECT_EQ(static_cast<DWORD>(PROPPAGESTATUS_DIRTY), site.statusChanges[0]);
    page->applyResult = E_FAIL;
    EXPECT_EQ(E_FAIL, frameView->Apply());
    EXPECT_EQ(S_OK, frameView->IsPageDirty()) << "a failed apply keeps the changes pending";
    page->applyResult = S_OK;
    EXPECT_EQ(S_OK, frameView->Apply());
    EXPECT_EQ(S_FALSE, frameView->IsPageDirty());
    EXPECT_EQ(S_OK, frameView->Apply()) << "nothing to apply";

    ASSERT_EQ(S_OK, frameView->Deactivate());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(E_UNEXPECTED, frameView->Deactivate());
    ASSERT_EQ(S_OK, frameView->SetObjects(0, nullptr));
    ASSERT_EQ(S_OK, frameView->SetPageSite(nullptr));
    frameView->Release();
    DestroyWindow(parent);

    const std::vector<std::string> expected{"connect", "activate", "apply", "apply", "deactivate", "disconnect"};
    EXPECT_EQ(expected, calls);
    EXPECT_EQ(0, CBaseObject::ObjectsActive());
}

TEST(CBasePropertyPage, TheLastReleaseDisconnectsAConnectedPage)
{
    std::vector<std::string> calls;
    IPropertyPage* frameView = AsPage(new TestPage(calls));
    IUnknown* object = frameView;
    ASSERT_EQ(S_OK, frameView->SetObjects(1, &object));
    EXPECT_EQ(0u, frameView->Release());
    const std::vector<std::string> expected{"connect", "disconnect"};
    EXPECT_EQ(expected, calls);
    EXPECT_EQ(0, CBaseObject::ObjectsActive());
}

TEST(CBasePropertyPage, APageThatFailsToConnectStaysUnconnected)
{
    std::vector<std::string> calls;
    auto* page = new TestPage(calls);
    IPropertyPage* frameView = AsPage(page);
    page->connectResult = E_NOINTERFACE;
    IUnknown* object = frameView;
    EXPECT_EQ(E_NOINTERFACE, frameView->SetObjects(1, &object));
    RECT rect{0, 0, 100, 100};
    EXPECT_EQ(E_UNEXPECTED, frameView->Activate(GetDesktopWindow(), &rect, FALSE));
    EXPECT_EQ(0u, frameView->Release());
    const std::vector<std::string> expected{"connect"};
    EXPECT_EQ(expected, calls) << "no disconnect for a connection that never was";
}

}  // namespace
