// The pages inside the system's property frame, opened as the capture application
// opens them: OleCreatePropertyFrame on the CLSIDs from ISpecifyPropertyPages. The
// frame is modal, so a second thread plays the user: it reads the tabs and the common
// page's first box, then presses OK.
// Wine's frame never calls IPropertyPage::Apply (nor SetObjects(0)), so OK applies
// nothing under Wine; Apply itself is covered by driving the pages directly.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <olectl.h>

#include <string>
#include <thread>
#include <vector>

#include "../../resources/trelvox/resource.h"
#include "IMuxConfig.h"
#include "MuxGraphSupport.h"

namespace {

struct FrameSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindFrame(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<FrameSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) &&
        FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindEdit(HWND window, LPARAM param)
{
    if (GetDlgCtrlID(window) == IDC_VIDEO_BUFFER_COUNT) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

// What the "user" saw and did in the frame.
struct UserSession {
    std::vector<std::wstring> tabs;
    std::wstring videoBufferCount;

    void Run()
    {
        FrameSearch search{GetCurrentProcessId(), nullptr};
        for (int tries = 0; tries < 200 && !search.found; ++tries) {
            Sleep(50);
            EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&search));
        }
        if (!search.found)
            return;
        HWND tab = FindWindowExW(search.found, nullptr, WC_TABCONTROLW, nullptr);
        const LRESULT count = SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[64] = L"";
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            tabs.push_back(text);
        }
        HWND edit = nullptr;
        EnumChildWindows(search.found, FindEdit, reinterpret_cast<LPARAM>(&edit));
        if (edit) {
            wchar_t text[32] = L"";
            SendMessageW(edit, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));
            videoBufferCount = text;
        }
        PostMessageW(search.found, WM_COMMAND, IDOK, 0);
    }
};

TEST(MuxPageFrame, ThePropertyFrameShowsTheFourPagesAndTheyLetGoOfTheFilter)
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    {
        ComPtr<IBaseFilter> mux;
        ASSERT_EQ(S_OK, BindMuxByMoniker(&mux));
        ComPtr<IMuxConfig> config;
        ASSERT_HRESULT_SUCCEEDED(mux.As(&config));
        config->SetBufferCounts(23, 5);
        ComPtr<ISpecifyPropertyPages> specify;
        ASSERT_HRESULT_SUCCEEDED(mux.As(&specify));
        CAUUID pages{};
        ASSERT_EQ(S_OK, specify->GetPages(&pages));
        mux->AddRef();
        const ULONG referencesBefore = mux->Release();

        UserSession user;
        std::thread userThread([&] { user.Run(); });
        IUnknown* object = mux.Get();
        const HRESULT hr = OleCreatePropertyFrame(nullptr, 0, 0, L"Pelkor AVI Mux", 1, &object, pages.cElems,
                                                  pages.pElems, 0, 0, nullptr);
        userThread.join();
        CoTaskMemFree(pages.pElems);
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ((std::vector<std::wstring>{L"共通", L"AVI 1", L"統計", L"タイムシフト"}), user.tabs);
        EXPECT_EQ(L"23", user.videoBufferCount);
        mux->AddRef();
        EXPECT_EQ(referencesBefore, mux->Release()) << "a page still holds the filter";
    }
    CoUninitialize();
}

}  // namespace
