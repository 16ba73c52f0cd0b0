// AVI 1.0 sets from the simulated card split at 10 MB, uncompressed and through the
// stand-in Motion JPEG compressor. Each set is described for check_set_sync.py, where
// ffprobe and ffmpeg judge every file alone: its start in sync, its decoding, its size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "MuxGraphSupport.h"
#include "CardRecording.h"
#include "JpegEncoder.h"
#include "MjpegState.h"
#include "StandinGraph.h"

namespace {

constexpr DWORD kSplitMegabytes = 10;
constexpr DWORD kMaxFileBytes = (kSplitMegabytes - 1) << 20;
constexpr DWORD kAudioRate = 48000;
constexpr DWORD kBlockAlign = 4;                                   // 16-bit stereo
constexpr DWORD kCardAudioBuffer = kAudioRate / 50 * kBlockAlign;  // the card's 20 ms buffers

const CardInput k1080i{L"1080i", 1920, 1080, 333667, kAudioRate, kSplitMegabytes};
const CardInput k480i{L"480i", 720, 480, 333667, kAudioRate, kSplitMegabytes};

int FilesOf(const std::wstring& base)
{
    int files = 0;
    while (FileExists(NumberedFile(base, files)))
        ++files;
    return files;
}

// base + ".json": what the multiplexer counted, for the readers to find in the set.
void DescribeSet(const std::wstring& base, const MuxCounts& counts)
{
    const std::filesystem::path path(base);
    std::ofstream(std::filesystem::path(base + L".json"))
        << "{\"base\": \"" << path.filename().string() << "\", \"files\": " << FilesOf(base)
        << ", \"videoFrames\": " << counts.videoFrames << ", \"audioBytes\": " << counts.audioBlocks * kBlockAlign
        << ", \"audioBufferBytes\": " << kCardAudioBuffer << ", \"maxFileBytes\": " << kMaxFileBytes << "}\n";
}

void RecordSet(const wchar_t* name, IBaseFilter* videoCompressor, const CardInput& input, DWORD ms)
{
    const std::wstring base = RecordingPath(name);
    MuxCounts counts;
    ASSERT_EQ(S_OK, RecordCard(base, videoCompressor, nullptr, nullptr, ms, input, &counts));
    EXPECT_GE(FilesOf(base), 5);
    DescribeSet(base, counts);
}

class CardSetSync : public testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(CardSetSync, Yuy21080iSet)
{
    RecordSet(L"sync_yuy2_1080i", nullptr, k1080i, 700);
}

TEST_F(CardSetSync, Yuy2480iSet)
{
    RecordSet(L"sync_yuy2_480i", nullptr, k480i, 4000);
}

// At the highest quality, so that a few seconds fill five files.
TEST_F(CardSetSync, MotionJpegSet)
{
    ComPtr<IBaseFilter> compressor = CreateFilter(kClsidMjpegCompressor);
    ASSERT_TRUE(compressor);
    ComPtr<IAMVfwCompressDialogs> dialogs;
    ASSERT_EQ(S_OK,
              compressor->QueryInterface(IID_IAMVfwCompressDialogs, reinterpret_cast<void**>(dialogs.GetAddressOf())));
    auto state = standin::SerializeMjpegState(standin::kMaxJpegQuality);
    ASSERT_EQ(S_OK, dialogs->SetState(state.data(), static_cast<int>(state.size())));
    RecordSet(L"sync_mjpeg_1080i", compressor.Get(), k1080i, 12000);
}

}  // namespace
