// Helpers shared by the profile tests: a scratch folder, files written stream by
// stream through raw IStorage calls, stream bytes built by hand, and the test filters.
#pragma once

#include "testfilter/TestFilterIds.h"

#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
using Microsoft::WRL::ComPtr;

// Little-endian stream bytes, built independently of the product's writer.
class StreamBytes {
public:
    StreamBytes& U32(std::uint32_t value);
    StreamBytes& Text(const std::wstring& text);  // count with terminator, then UTF-16LE
    StreamBytes& Raw(const Bytes& bytes);
    StreamBytes& Raw(const std::string& bytes);
    const Bytes& Get() const { return bytes_; }
    operator Bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

// What the test filter's IPersistStream::Save writes for a blob.
Bytes SavedTestState(const std::string& blob);

// Bytes of a stored WAVEFORMATEX with `extra` bytes after it.
Bytes WaveFormat(WORD tag, WORD channels, DWORD rate, WORD bits, const Bytes& extra = {});

using RawStreams = std::map<std::wstring, Bytes>;
const Bytes& ValidCommon();
void WriteRawProfile(const std::filesystem::path& file, const RawStreams& streams);
Bytes ReadRawStream(const std::filesystem::path& file, const std::wstring& name);
Bytes ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const Bytes& bytes);

ComPtr<IBaseFilter> CreateTestFilter(const CLSID& clsid);
ComPtr<ITestFilterControl> Control(IBaseFilter* filter);
void SetBlob(IBaseFilter* filter, DWORD which, const std::string& blob);
std::string GetBlob(IBaseFilter* filter, DWORD which);
DWORD LoadCalls(IBaseFilter* filter);
DWORD SetStateCalls(IBaseFilter* filter);

// A COM apartment and a scratch folder for each test.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path File(const std::wstring& name) const { return folder_ / name; }

private:
    std::filesystem::path folder_;
};
