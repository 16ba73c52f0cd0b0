// Trelvox's four property pages, created through their registered classes and driven
// as a property frame would drive them, on the real filter and on a recording fake.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../resources/trelvox/resource.h"
#include "IMuxConfig.h"
#include "IMuxTimeShift.h"
#include "MuxGraphSupport.h"
#include "MuxGuids.h"
#include "RecordingMuxConfig.h"
#include "TestPageSite.h"

namespace {

struct PageClass {
    const CLSID* clsid;
    const wchar_t* registeredName;
    const wchar_t* title;
};

const PageClass kPageClasses[] = {
    {&CLSID_MuxCommonPage, L"PelkorAVIMux Property Page", L"共通"},
    {&CLSID_MuxAvi1Page, L"PelkorAVIMux Property Page 2", L"AVI 1"},
    {&CLSID_MuxStatisticsPage, L"PelkorAVIMux Property Page 3", L"統計"},
    {&CLSID_MuxTimeShiftPage, L"PelkorAVIMux Property Page 4", L"タイムシフト"},
};

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = L"";
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

// An object with no interface but IUnknown.
class PlainObject : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

// A page made by its class, connected to one object and shown in a hidden frame window.
class OpenPage {
public:
    HRESULT Open(REFCLSID clsid, IUnknown* object)
    {
        HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page));
        if (FAILED(hr))
            return hr;
        hr = page->SetPageSite(&site);
        if (SUCCEEDED(hr))
            hr = page->SetObjects(1, &object);
        if (FAILED(hr))
            return hr;
        PROPPAGEINFO info{};
        hr = page->GetPageInfo(&info);
        if (FAILED(hr))
            return hr;
        CoTaskMemFree(info.pszTitle);
        rect = {0, 0, info.size.cx, info.size.cy};
        frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                                nullptr);
        return Activate();
    }

    HRESULT Activate()
    {
        const HRESULT hr = page->Activate(frame, &rect, FALSE);
        dialog = GetWindow(frame, GW_CHILD);
        return hr;
    }

    HRESULT Deactivate()
    {
        dialog = nullptr;
        return page->Deactivate();
    }

    ~OpenPage()
    {
        if (page) {
            if (dialog)
                page->Deactivate();
            page->SetObjects(0, nullptr);
            page->SetPageSite(nullptr);
        }
        page.Reset();
        if (frame)
            DestroyWindow(frame);
    }

    std::wstring Text(int id) const { return WindowText(GetDlgItem(dialog, id)); }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

    // As the user would: each of these notifies the page.
    void Type(int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
    void Click(int id)
    {
        CheckDlgButton(dialog, id, Checked(id) ? BST_UNCHECKED : BST_CHECKED);
        Notify(id, BN_CLICKED);
    }
    void Choose(int id, int index)
    {
        SendDlgItemMessageW(dialog, id, CB_SETCURSEL, index, 0);
        Notify(id, CBN_SELCHANGE);
    }

    std::vector<std::wstring> ListItems(int id) const
    {
        std::vector<std::wstring> items;
        const LRESULT count = SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[64] = L"";
            SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }

    // The first static whose text contains the given text, or null.
    HWND StaticContaining(const std::wstring& text) const
    {
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (WindowText(child).find(text) != std::wstring::npos)
                return child;
        }
        return nullptr;
    }

    ComPtr<IPropertyPage> page;
    TestPageSite site;
    HWND frame = nullptr;
    HWND dialog = nullptr;
    RECT rect{};

private:
    void Notify(int id, WORD code)
    {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
};

class MuxPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_EQ(S_OK, BindMuxByMoniker(&mux));
        ASSERT_HRESULT_SUCCEEDED(mux.As(&config));
    }

    void TearDown() override
    {
        config.Reset();
        mux.Reset();
        CoUninitialize();
    }

    ComPtr<IBaseFilter> mux;
    ComPtr<IMuxConfig> config;
};

const std::vector<std::wstring> kTimePropertyItems{L"無し", L"タイム スタンプ", L"メディア タイム"};

TEST_F(MuxPagesTest, TheFilterListsFourRegisteredPageClassesThatAreNoFilters)
{
    ComPtr<ISpecifyPropertyPages> specify;
    ASSERT_HRESULT_SUCCEEDED(mux.As(&specify));
    CAUUID pages{};
    ASSERT_EQ(S_OK, specify->GetPages(&pages));
    ASSERT_EQ(4u, pages.cElems);
    for (ULONG i = 0; i < pages.cElems; ++i) {
        const PageClass& expected = kPageClasses[i];
        EXPECT_TRUE(IsEqualGUID(*expected.clsid, pages.pElems[i])) << i;
        ComPtr<IPropertyPage> page;
        ASSERT_EQ(S_OK, CoCreateInstance(pages.pElems[i], nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)));
        PROPPAGEINFO info{};
        ASSERT_EQ(S_OK, page->GetPageInfo(&info));
        EXPECT_EQ(std::wstring(expected.title), info.pszTitle);
        EXPECT_GT(info.size.cx, 0);
        EXPECT_GT(info.size.cy, 0);
        CoTaskMemFree(info.pszTitle);

        const std::wstring key = L"CLSID\\" + GuidText(*expected.clsid);
        wchar_t name[128] = L"";
        DWORD size = sizeof name;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, name, &size));
        EXPECT_EQ(std::wstring(expected.registeredName), name);
        const std::wstring instance =
            L"CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\" + GuidText(*expected.clsid);
        HKEY filterKey = nullptr;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, instance.c_str(), 0, KEY_READ, &filterKey))
            << "a page is not a filter";
        if (filterKey)
            RegCloseKey(filterKey);
    }
    CoTaskMemFree(pages.pElems);
}

TEST_F(MuxPagesTest, PagesConnectOnlyToObjectsWithTheirInterface)
{
    PlainObject plain;
    RecordingMuxConfig fake;
    for (const PageClass& pageClass : kPageClasses) {
        ComPtr<IPropertyPage> page;
        ASSERT_EQ(S_OK, CoCreateInstance(*pageClass.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)));
        EXPECT_EQ(E_UNEXPECTED, page->SetObjects(0, nullptr)) << "not connected";
        const bool timeShift = IsEqualGUID(*pageClass.clsid, CLSID_MuxTimeShiftPage);
        IUnknown* lacking = timeShift ? static_cast<IUnknown*>(&fake) : &plain;
        EXPECT_EQ(E_NOINTERFACE, page->SetObjects(1, &lacking)) << pageClass.title;
        RECT rect{0, 0, 100, 100};
        EXPECT_EQ(E_UNEXPECTED, page->Activate(GetDesktopWindow(), &rect, FALSE));
        EXPECT_EQ(E_UNEXPECTED, page->SetObjects(0, nullptr)) << "a failed connection leaves nothing to undo";

        IUnknown* filter = mux.Get();
        EXPECT_EQ(S_OK, page->SetObjects(1, &filter));
        EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
        EXPECT_EQ(E_UNEXPECTED, page->SetObjects(0, nullptr));
    }
    EXPECT_EQ(1, fake.References());
    EXPECT_TRUE(fake.log.empty());
}

TEST_F(MuxPagesTest, CommonPageShowsTheFiltersSettings)
{
    config->SetBufferCounts(12, 9);
    config->SetDropThreshold(0.75);
    config->SetWriteCounts(3, 4);
    config->SetForcedAudioSync(TRUE);
    config->SetDriftPrevention(TRUE);
    config->SetDriftThreshold(2.5);
    config->SetDriftSensitivity(30);
    config->SetDriftStartTime(15'000'000);
    config->SetTimeProperty(2, 0);
    config->SetDelayProcessing(3, 1);
    config->SetMuxMode(1);
    config->SetProtect(TRUE);

    OpenPage p;
    ASSERT_EQ(S_OK, p.Open(CLSID_MuxCommonPage, mux.Get()));
    EXPECT_EQ(L"12", p.Text(IDC_VIDEO_BUFFER_COUNT));
    EXPECT_EQ(L"0.750000", p.Text(IDC_DROP_THRESHOLD));
    EXPECT_EQ(L"3", p.Text(IDC_WRITE_COUNT));
    EXPECT_TRUE(p.Checked(IDC_FORCED_AUDIO_SYNC));
    EXPECT_TRUE(p.Checked(IDC_DRIFT_ENABLED));
    EXPECT_EQ(L"2.500000", p.Text(IDC_DRIFT_THRESHOLD));
    EXPECT_EQ(L"30", p.Text(IDC_DRIFT_SENSITIVITY));
    EXPECT_EQ(L"1500", p.Text(IDC_DRIFT_START_TIME)) << "milliseconds";
    EXPECT_EQ(L"メディア タイム", p.Text(IDC_TIME_PROPERTY_VIDEO));
    EXPECT_EQ(L"無し", p.Text(IDC_TIME_PROPERTY_AUDIO));
    EXPECT_EQ(L"基準時間変更", p.Text(IDC_DELAY_VIDEO));
    EXPECT_EQ(L"基準時間変更", p.Text(IDC_DELAY_AUDIO));
    EXPECT_EQ(L"AVI2", p.Text(IDC_MUX_MODE));
    EXPECT_TRUE(p.Checked(IDC_PROTECT));

    EXPECT_EQ(kTimePropertyItems, p.ListItems(IDC_TIME_PROPERTY_VIDEO));
    EXPECT_EQ(kTimePropertyItems, p.ListItems(IDC_TIME_PROPERTY_AUDIO));
    EXPECT_EQ((std::vector<std::wstring>{L"遅延時間", L"ヌルフレーム", L"フル+ヌル", L"基準時間変更"}),
              p.ListItems(IDC_DELAY_VIDEO));
    EXPECT_EQ((std::vector<std::wstring>{L"遅延時間", L"基準時間変更", L"ヌルフレーム"}), p.ListItems(IDC_DELAY_AUDIO));
    EXPECT_EQ((std::vector<std::wstring>{L"AVI1", L"AVI2"}), p.ListItems(IDC_MUX_MODE));
    HWND version = p.StaticContaining(L"Pelkor AVI Mux");
    ASSERT_NE(nullptr, version);
    EXPECT_NE(std::wstring::npos, WindowText(version).find(L"4.1.0.9"));

    EXPECT_EQ(S_FALSE, p.page->IsPageDirty()) << "filling the controls is no edit";
    EXPECT_TRUE(p.site.statusChanges.empty());
}

TEST_F(MuxPagesTest, CommonPageAppliesEveryEditToTheFilter)
{
    OpenPage p;
    ASSERT_EQ(S_OK, p.Open(CLSID_MuxCommonPage, mux.Get()));
    p.Type(IDC_VIDEO_BUFFER_COUNT, L"77");
    EXPECT_EQ(S_OK, p.page->IsPageDirty());
    ASSERT_FALSE(p.site.statusChanges.empty());
    EXPECT_EQ(static_cast<DWORD>(PROPPAGESTATUS_DIRTY), p.site.statusChanges[0]);
    p.Type(IDC_DROP_THRESHOLD, L"0.25");
    p.Type(IDC_WRITE_COUNT, L"6");
    p.Click(IDC_FORCED_AUDIO_SYNC);
    p.Click(IDC_DRIFT_ENABLED);
    p.Type(IDC_DRIFT_THRESHOLD, L"3.5");
    p.Type(IDC_DRIFT_SENSITIVITY, L"12");
    p.Type(IDC_DRIFT_START_TIME, L"2500");
    p.Choose(IDC_TIME_PROPERTY_VIDEO, 0);
    p.Choose(IDC_TIME_PROPERTY_AUDIO, 2);
    p.Choose(IDC_DELAY_VIDEO, 2);
    p.Choose(IDC_DELAY_AUDIO, 2);
    p.Choose(IDC_MUX_MODE, 1);
    p.Click(IDC_PROTECT);
    ASSERT_EQ(S_OK, p.page->Apply());
    EXPECT_EQ(S_FALSE, p.page->IsPageDirty());

    DWORD first = 0, second = 0;
    config->GetBufferCounts(&first, &second);
    EXPECT_EQ(77u, first);
    EXPECT_EQ(5u, second) << "the audio buffer count stays";
    double real = 0;
    config->GetDropThreshold(&real);
    EXPECT_DOUBLE_EQ(0.25, real);
    config->GetWriteCounts(&first, &second);
    EXPECT_EQ(6u, first);
    EXPECT_EQ(1u, second);
    BOOL flag = FALSE;
    config->GetForcedAudioSync(&flag);
    EXPECT_TRUE(flag);
    config->GetDriftPrevention(&flag);
    EXPECT_TRUE(flag);
    config->GetDriftThreshold(&real);
    EXPECT_DOUBLE_EQ(3.5, real);
    DWORD number = 0;
    config->GetDriftSensitivity(&number);
    EXPECT_EQ(12u, number);
    LONGLONG time = 0;
    config->GetDriftStartTime(&time);
    EXPECT_EQ(25'000'000, time);
    config->GetTimeProperty(&first, &second);
    EXPECT_EQ(0u, first);
    EXPECT_EQ(2u, second);
    config->GetDelayProcessing(&first, &second);
    EXPECT_EQ(2u, first);
    EXPECT_EQ(2u, second);
    config->GetMuxMode(&number);
    EXPECT_EQ(1u, number);
    config->GetProtect(&flag);
    EXPECT_TRUE(flag);
}

TEST_F(MuxPagesTest, CommonPageAppliesInOrderAndWritesBackWhatItDoesNotShow)
{
    RecordingMuxConfig fake;
    fake.audioBuffers = 9;
    fake.writeSecond = 4;
    fake.driftStartTime = 15'000'000;
    OpenPage p;
    ASSERT_EQ(S_OK, p.Open(CLSID_MuxCommonPage, &fake));
    p.Type(IDC_VIDEO_BUFFER_COUNT, L"41");
    fake.writeSecond = 8;  // changed elsewhere while the page is open
    ASSERT_EQ(S_OK, p.page->Apply());
    const std::vector<std::string> expected{
        "SetBufferCounts(41,9)", "SetDropThreshold(0.5)",   "SetWriteCounts(1,8)",     "SetForcedAudioSync(0)",
        "SetDriftPrevention(0)", "SetDriftThreshold(1)",    "SetDriftSensitivity(50)", "SetDriftStartTime(15000000)",
        "SetTimeProperty(1,1)",  "SetDelayProcessing(0,0)", "SetMuxMode(0)",           "SetProtect(0)",
    };
    EXPECT_EQ(expected, fake.log);

    fake.log.clear();
    EXPECT_EQ(S_OK, p.page->Apply());
    EXPECT_TRUE(fake.log.empty()) << "nothing to apply";
}

TEST_F(MuxPagesTest, Avi1PageShowsAndAppliesTheFileSettings)
{
    config->SetMaxFiles(7);
    config->SetMaxFileSize(100);
    config->SetFirstFrameNotDropped(FALSE);
    config->SetSplitMode(2);
    config->SetSplitCounts(100, 50);
    OpenPage p;
    ASSERT_EQ(S_OK, p.Open(CLSID_MuxAvi1Page, mux.Get()));
    EXPECT_EQ(L"7", p.Text(IDC_MAX_FILES));
    EXPECT_EQ(L"100", p.Text(IDC_MAX_FILE_SIZE));
    EXPECT_FALSE(p.Checked(IDC_FIRST_FRAME_NOT_DROPPED));
    EXPECT_EQ((std::vector<std::wstring>{L"ファイルサイズ", L"フレーム数", L"キーフレーム数"}),
              p.ListItems(IDC_SPLIT_MODE));
    EXPECT_EQ(L"キーフレーム数", p.Text(IDC_SPLIT_MODE));
    EXPECT_EQ(L"100", p.Text(IDC_SPLIT_COUNT_VIDEO));
    EXPECT_EQ(L"50", p.Text(IDC_SPLIT_COUNT_AUDIO));
    EXPECT_EQ(S_FALSE, p.page->IsPageDirty());

    p.Type(IDC_MAX_FILES, L"3");
    p.Type(IDC_MAX_FILE_SIZE, L"700");
    p.Click(IDC_FIRST_FRAME_NOT_DROPPED);
    p.Choose(IDC_SPLIT_MODE, 1);
    p.Type(IDC_SPLIT_COUNT_VIDEO, L"1800");
    p.Type(IDC_SPLIT_COUNT_AUDIO, L"200");
    ASSERT_EQ(S_OK, p.page->Apply());
    DWORD number = 0, second = 0;
    config->GetMaxFiles(&number);
    EXPECT_EQ(3u, number);
    config->GetMaxFileSize(&number);
    EXPECT_EQ(700u, number);
    BOOL flag = FALSE;
    config->GetFirstFrameNotDropped(&flag);
    EXPECT_TRUE(flag);
    config->GetSplitMode(&number);
    EXPECT_EQ(1u, number);
    config->GetSplitCounts(&number, &second);
    EXPECT_EQ(1800u, number);
    EXPECT_EQ(200u, second);
}

TEST_F(MuxPagesTest, Avi1PageAppliesInOrder)
{
    RecordingMuxConfig fake;
    OpenPage p;
    ASSERT_EQ(S_OK, p.Open(CLSID_MuxAvi1Page, &fake));
    p.Click(IDC_FIRST_FRAME_NOT_DROPPED);
    ASSERT_EQ(S_OK, p.page->Apply());
    const std::vector<std::string> expected{"SetMaxFiles(40)", "SetMaxFileSize(2047)", "SetSplitCounts(8991,600)",
                                            "SetFirstFrameNotDropped(0)", "SetSplitMode(0)"};
    EXPECT_EQ(expected, fake.log);
}

TEST_F(MuxPagesTest, BadNumbersKeepTheirValueAndClampedValuesShowAsStored)
{
    OpenPage common;
    ASSERT_EQ(S_OK, common.Open(CLSID_MuxCommonPage, mux.Get()));
    common.Type(IDC_VIDEO_BUFFER_COUNT, L"");
    common.Type(IDC_DRIFT_SENSITIVITY, L"12x");
    common.Type(IDC_DRIFT_START_TIME, L"4294967296");
    common.Type(IDC_DROP_THRESHOLD, L"-1");
    common.Type(IDC_WRITE_COUNT, L"0");
    ASSERT_EQ(S_OK, common.page->Apply());
    DWORD number = 0, unused = 0;
    config->GetBufferCounts(&number, &unused);
    EXPECT_EQ(40u, number);
    config->GetDriftSensitivity(&number);
    EXPECT_EQ(50u, number);
    LONGLONG time = -1;
    config->GetDriftStartTime(&time);
    EXPECT_EQ(0, time);
    EXPECT_EQ(L"40", common.Text(IDC_VIDEO_BUFFER_COUNT));
    EXPECT_EQ(L"0.000000", common.Text(IDC_DROP_THRESHOLD)) << "negative thresholds are stored as 0";
    EXPECT_EQ(L"1", common.Text(IDC_WRITE_COUNT));
    EXPECT_EQ(S_FALSE, common.page->IsPageDirty()) << "showing the stored values is no edit";

    OpenPage avi1;
    ASSERT_EQ(S_OK, avi1.Open(CLSID_MuxAvi1Page, mux.Get()));
    avi1.Type(IDC_MAX_FILE_SIZE, L"5");
    avi1.Type(IDC_MAX_FILES, L"-3");
    ASSERT_EQ(S_OK, avi1.page->Apply());
    EXPECT_EQ(L"10", avi1.Text(IDC_MAX_FILE_SIZE));
    EXPECT_EQ(L"40", avi1.Text(IDC_MAX_FILES));
}

TEST_F(MuxPagesTest, EditsSurviveSwitchingPagesAndApplyFromAnInactivePage)
{
    OpenPage p;
    ASSERT_EQ(S_OK, p.Open(CLSID_MuxCommonPage, mux.Get()));
    p.Type(IDC_VIDEO_BUFFER_COUNT, L"64");
    p.Choose(IDC_MUX_MODE, 1);
    ASSERT_EQ(S_OK, p.Deactivate());
    ASSERT_EQ(S_OK, p.Activate());
    EXPECT_EQ(L"64", p.Text(IDC_VIDEO_BUFFER_COUNT));
    EXPECT_EQ(L"AVI2", p.Text(IDC_MUX_MODE));
    ASSERT_EQ(S_OK, p.Deactivate());
    ASSERT_EQ(S_OK, p.page->Apply());
    DWORD number = 0, unused = 0;
    config->GetBufferCounts(&number, &unused);
    EXPECT_EQ(64u, number);
    config->GetMuxMode(&number);
    EXPECT_EQ(1u, number);
}

TEST_F(MuxPagesTest, StatisticsPageReadsTheCountsAtEveryActivation)
{
    OpenPage fresh;
    ASSERT_EQ(S_OK, fresh.Open(CLSID_MuxStatisticsPage, mux.Get()));
    EXPECT_EQ(L"0", fresh.Text(IDC_STAT_VIDEO_FRAMES));
    EXPECT_EQ(L"0.000000", fresh.Text(IDC_STAT_VIDEO_RATE));

    RecordingMuxConfig fake;
    fake.videoFrames = 300;
    fake.audioBuffersCounted = 100;
    fake.droppedFrames = 2;
    fake.audioBlocks = 480000;
    fake.insertedFrames = 1;
    fake.deletedFrames = 3;
    fake.frameRate = 29.97;
    fake.audioFrequency = 48000;
    OpenPage p;
    ASSERT_EQ(S_OK, p.Open(CLSID_MuxStatisticsPage, &fake));
    EXPECT_EQ(L"300", p.Text(IDC_STAT_VIDEO_FRAMES));
    EXPECT_EQ(L"2", p.Text(IDC_STAT_DROPPED_FRAMES));
    EXPECT_EQ(L"100", p.Text(IDC_STAT_AUDIO_BUFFERS));
    EXPECT_EQ(L"480000", p.Text(IDC_STAT_AUDIO_BLOCKS));
    EXPECT_EQ(L"1", p.Text(IDC_STAT_INSERTED_FRAMES));
    EXPECT_EQ(L"3", p.Text(IDC_STAT_DELETED_FRAMES));
    EXPECT_EQ(L"29.970000", p.Text(IDC_STAT_VIDEO_RATE));
    EXPECT_EQ(L"48000.000000", p.Text(IDC_STAT_AUDIO_FREQUENCY));

    fake.videoFrames = 301;
    EXPECT_EQ(L"300", p.Text(IDC_STAT_VIDEO_FRAMES)) << "no live update";
    ASSERT_EQ(S_OK, p.Deactivate());
    ASSERT_EQ(S_OK, p.Activate());
    EXPECT_EQ(L"301", p.Text(IDC_STAT_VIDEO_FRAMES));
    EXPECT_EQ(S_FALSE, p.page->IsPageDirty());
    EXPECT_EQ(S_OK, p.page->Apply());
    EXPECT_TRUE(fake.log.empty()) << "nothing is applied";
}

TEST_F(MuxPagesTest, TimeShiftPageConnectsToTheFilterAndSaysInPreparation)
{
    OpenPage p;
    ASSERT_EQ(S_OK, p.Open(CLSID_MuxTimeShiftPage, mux.Get()));
    HWND text = p.StaticContaining(L"準備中");
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(L"準備中", WindowText(text));
    EXPECT_EQ(S_FALSE, p.page->IsPageDirty());
}

}  // namespace
