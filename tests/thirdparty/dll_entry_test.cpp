// StandinCodecs.dll as the prefix registered it: the compressors are found in their
// categories by the system device enumerator and bind from their monikers.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "StandinGraph.h"

namespace {

struct Found {
    std::wstring displayName;
    CLSID clsid{};
};

// Friendly name -> what its moniker binds to.
std::map<std::wstring, Found> CategoryMembers(REFCLSID category)
{
    std::map<std::wstring, Found> members;
    ComPtr<ICreateDevEnum> devices;
    ComPtr<IEnumMoniker> monikers;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&devices))) ||
        devices->CreateClassEnumerator(category, &monikers, 0) != S_OK)
        return members;
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        VARIANT name;
        VariantInit(&name);
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag))) ||
            FAILED(bag->Read(L"FriendlyName", &name, nullptr)))
            continue;
        Found found;
        LPOLESTR display = nullptr;
        if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, &display))) {
            found.displayName = display;
            CoTaskMemFree(display);
        }
        ComPtr<IBaseFilter> filter;
        if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter))))
            filter->GetClassID(&found.clsid);
        members[name.bstrVal] = found;
        VariantClear(&name);
    }
    return members;
}

class StandinRegistrationTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(StandinRegistrationTest, CompressorsAreListedInTheirCategoriesAndBind)
{
    const auto audio = CategoryMembers(CLSID_AudioCompressorCategory);
    const auto video = CategoryMembers(CLSID_VideoCompressorCategory);
    const struct {
        const std::map<std::wstring, Found>& category;
        const wchar_t* name;
        CLSID clsid;
        const wchar_t* displayName;
    } expected[] = {
        {audio, L"Stand-in G.711 Audio Compressor (44100 Hz)", kClsidG711Compressor44k,
         L"@device:sw:{33D9A761-90C8-11D0-BD43-00A0C911CE86}\\{00A4625C-1ED3-4388-A7C5-ACEF718F466E}"},
        {audio, L"Stand-in G.711 Audio Compressor", kClsidG711Compressor,
         L"@device:sw:{33D9A761-90C8-11D0-BD43-00A0C911CE86}\\{54D05EDC-DA62-4993-BDBA-ACF061206563}"},
        {video, L"Stand-in Motion JPEG Compressor", kClsidMjpegCompressor,
         L"@device:sw:{33D9A760-90C8-11D0-BD43-00A0C911CE86}\\{D0753715-C2EF-4D00-8623-5088AF196DD4}"},
    };
    for (const auto& entry : expected) {
        SCOPED_TRACE(testing::Message() << std::string(entry.name, entry.name + wcslen(entry.name)));
        const auto found = entry.category.find(entry.name);
        ASSERT_NE(entry.category.end(), found);
        EXPECT_TRUE(IsEqualCLSID(entry.clsid, found->second.clsid));
        EXPECT_EQ(std::wstring(entry.displayName), found->second.displayName);
    }
    EXPECT_EQ(0u, video.count(L"Stand-in G.711 Audio Compressor"));
    EXPECT_EQ(0u, audio.count(L"Stand-in Motion JPEG Compressor"));
}

}  // namespace
