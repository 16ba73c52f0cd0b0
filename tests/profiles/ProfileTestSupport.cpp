#include "ProfileTestSupport.h"

#include <fstream>
#include <iterator>

StreamBytes& StreamBytes::U32(std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
}

StreamBytes& StreamBytes::Text(const std::wstring& text)
{
    U32(static_cast<std::uint32_t>(text.size() + 1));
    for (wchar_t unit : text) {
        bytes_.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes_.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes_.push_back(0);
    bytes_.push_back(0);
    return *this;
}

StreamBytes& StreamBytes::Raw(const Bytes& bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

StreamBytes& StreamBytes::Raw(const std::string& bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes SavedTestState(const std::string& blob)
{
    return StreamBytes().Raw(std::string("TFS1")).U32(static_cast<std::uint32_t>(blob.size())).Raw(blob);
}

Bytes WaveFormat(WORD tag, WORD channels, DWORD rate, WORD bits, const Bytes& extra)
{
    WAVEFORMATEX format{};
    format.wFormatTag = tag;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    format.cbSize = static_cast<WORD>(extra.size());
    const auto* first = reinterpret_cast<const std::uint8_t*>(&format);
    Bytes bytes(first, first + 18);
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    return bytes;
}

const Bytes& ValidCommon()
{
    static const Bytes common = StreamBytes().Text(L"TavrikProfile").Text(L"v1.20");
    return common;
}

void WriteRawProfile(const std::filesystem::path& file, const RawStreams& streams)
{
    ComPtr<IStorage> storage;
    ASSERT_HRESULT_SUCCEEDED(StgCreateStorageEx(file.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                                STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                                reinterpret_cast<void**>(storage.GetAddressOf())));
    for (const auto& [name, bytes] : streams) {
        ComPtr<IStream> stream;
        ASSERT_HRESULT_SUCCEEDED(
            storage->CreateStream(name.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream));
        ULONG written = 0;
        if (!bytes.empty()) {
            ASSERT_HRESULT_SUCCEEDED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
        }
        ASSERT_EQ(written, bytes.size());
    }
    ASSERT_HRESULT_SUCCEEDED(storage->Commit(STGC_DEFAULT));
}

Bytes ReadRawStream(const std::filesystem::path& file, const std::wstring& name)
{
    ComPtr<IStorage> storage;
    ComPtr<IStream> stream;
    Bytes bytes;
    EXPECT_HRESULT_SUCCEEDED(StgOpenStorageEx(file.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE, 0,
                                              nullptr, nullptr, IID_IStorage,
                                              reinterpret_cast<void**>(storage.GetAddressOf())));
    if (!storage || FAILED(storage->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
        return bytes;
    std::uint8_t buffer[4096];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    return bytes;
}

Bytes ReadFileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& file, const Bytes& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ComPtr<IBaseFilter> CreateTestFilter(const CLSID& clsid)
{
    ComPtr<IBaseFilter> filter;
    EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&filter)))
        << "the test filters are registered by the harness";
    return filter;
}

ComPtr<ITestFilterControl> Control(IBaseFilter* filter)
{
    ComPtr<ITestFilterControl> control;
    if (filter)
        filter->QueryInterface(kIidTestFilterControl, reinterpret_cast<void**>(control.GetAddressOf()));
    return control;
}

void SetBlob(IBaseFilter* filter, DWORD which, const std::string& blob)
{
    ASSERT_HRESULT_SUCCEEDED(
        Control(filter)->SetBlob(which, reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size())));
}

std::string GetBlob(IBaseFilter* filter, DWORD which)
{
    ComPtr<ITestFilterControl> control = Control(filter);
    if (!control)
        return "<no test filter>";
    std::string blob(65536, '\0');
    DWORD size = static_cast<DWORD>(blob.size());
    if (FAILED(control->GetBlob(which, reinterpret_cast<BYTE*>(blob.data()), &size)))
        return "<unreadable>";
    blob.resize(size);
    return blob;
}

DWORD LoadCalls(IBaseFilter* filter)
{
    DWORD loads = 0, setStates = 0;
    Control(filter)->GetCalls(&loads, &setStates);
    return loads;
}

DWORD SetStateCalls(IBaseFilter* filter)
{
    DWORD loads = 0, setStates = 0;
    Control(filter)->GetCalls(&loads, &setStates);
    return setStates;
}

void ProfileTest::SetUp()
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() / "tavrik-profile-tests" /
              (std::string(test->test_suite_name()) + "." + test->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
}

void ProfileTest::TearDown()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    CoUninitialize();
}
