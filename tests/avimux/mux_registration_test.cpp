// Trelvox.dll as the harness registered it: bound by moniker, never chosen by
// intelligent connect, counted for unloading, and unregistered twice without harm.
#include <gtest/gtest.h>

#include <vector>

#include "MuxGraphSupport.h"
#include "MuxGuids.h"

namespace {

class MuxRegistration : public ::testing::Test {
protected:
    using Entry = HRESULT(STDAPICALLTYPE*)();

    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        module = LoadLibraryW(L"Trelvox.dll");
        ASSERT_NE(nullptr, module);
    }

    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
        CoUninitialize();
    }

    Entry Export(const char* name)
    {
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    // The CLSIDs the mapper offers for a video input at or above the merit.
    static std::vector<CLSID> VideoSinks(DWORD minimumMerit)
    {
        std::vector<CLSID> found;
        ComPtr<IFilterMapper2> mapper;
        if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mapper))))
            return found;
        GUID types[] = {MEDIATYPE_Video, GUID_NULL};
        ComPtr<IEnumMoniker> monikers;
        if (mapper->EnumMatchingFilters(&monikers, 0, FALSE, minimumMerit, TRUE, 1, types, nullptr, nullptr, FALSE,
                                        FALSE, 0, nullptr, nullptr, nullptr) != S_OK)
            return found;
        for (;;) {
            ComPtr<IMoniker> moniker;
            if (monikers->Next(1, &moniker, nullptr) != S_OK)
                return found;
            ComPtr<IPropertyBag> bag;
            if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag))))
                continue;
            VARIANT value;
            VariantInit(&value);
            CLSID clsid{};
            if (SUCCEEDED(bag->Read(L"CLSID", &value, nullptr)) && value.vt == VT_BSTR &&
                SUCCEEDED(CLSIDFromString(value.bstrVal, &clsid)))
                found.push_back(clsid);
            VariantClear(&value);
        }
    }

    static bool Contains(const std::vector<CLSID>& list, REFCLSID clsid)
    {
        for (const CLSID& c : list) {
            if (c == clsid)
                return true;
        }
        return false;
    }

    HMODULE module = nullptr;
};

TEST_F(MuxRegistration, MonikerBindsTheFilterWhichIsNeverPickedAutomatically)
{
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, BindMuxByMoniker(&filter));
    CLSID clsid{};
    ASSERT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_EQ(CLSID_PelkorAviMux, clsid);

    EXPECT_TRUE(Contains(VideoSinks(MERIT_DO_NOT_USE), CLSID_PelkorAviMux)) << "registered with a video input";
    EXPECT_FALSE(Contains(VideoSinks(MERIT_DO_NOT_USE + 1), CLSID_PelkorAviMux)) << "merit MERIT_DO_NOT_USE";
}

TEST_F(MuxRegistration, CannotUnloadWhileAFilterLives)
{
    const Entry canUnloadNow = Export("DllCanUnloadNow");
    ASSERT_NE(nullptr, canUnloadNow);
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, BindMuxByMoniker(&filter));
    EXPECT_EQ(S_FALSE, canUnloadNow());
    filter.Reset();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(MuxRegistration, UnregisteringTwiceSucceedsAndRegisteringRestores)
{
    const Entry registerServer = Export("DllRegisterServer");
    const Entry unregisterServer = Export("DllUnregisterServer");
    ASSERT_TRUE(registerServer && unregisterServer);

    EXPECT_EQ(S_OK, unregisterServer());
    EXPECT_EQ(S_OK, unregisterServer());
    ComPtr<IBaseFilter> filter;
    EXPECT_HRESULT_FAILED(BindMuxByMoniker(&filter)) << "gone from the category";
    EXPECT_FALSE(Contains(VideoSinks(0), CLSID_PelkorAviMux));

    ASSERT_EQ(S_OK, registerServer());
    ASSERT_EQ(S_OK, BindMuxByMoniker(&filter));
    EXPECT_TRUE(filter);
}

}  // namespace
