// Recordings from a graph into the registered multiplexer, played back through the
// platform's AVI splitter. The files stay in recordings\ for ffprobe and ffmpeg
// (check_recordings.py), which also judge a recording whose process was killed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "IMuxConfig.h"
#include "MuxGraphSupport.h"
#include "SplitterPlayback.h"
#include "core/MuxMode.h"
#include "StandinGuids.h"

namespace {

class MuxRecording : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }

    struct Counts {
        DWORD videoFrames = 0, audioBuffers = 0;
    };

    // Puts the source and the multiplexer into the graph and connects them.
    using GraphBuilder = std::function<HRESULT(MuxGraph&, IBaseFilter* source, IBaseFilter* mux)>;

    // Records until both streams have ended; the files are finished by Stop.
    static void Record(const std::wstring& base, LONG width, LONG height, const StreamPlan& video,
                       const StreamPlan& audio, DWORD maxFileSizeMb, Counts* counts,
                       trelvox::MuxMode muxMode = trelvox::MuxMode::Avi1FileSet, const GraphBuilder& build = {},
                       DWORD videoTimeProperty = 1)
    {
        DeleteRecording(base);
        ComPtr<IBaseFilter> mux;
        ASSERT_EQ(S_OK, BindMuxByMoniker(&mux));
        ComPtr<IFileSinkFilter> sink;
        ComPtr<IMuxConfig> config;
        ASSERT_HRESULT_SUCCEEDED(mux.As(&sink));
        ASSERT_HRESULT_SUCCEEDED(mux.As(&config));
        ASSERT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr));
        ASSERT_EQ(S_OK, config->SetMaxFileSize(maxFileSizeMb));
        ASSERT_EQ(S_OK, config->SetMuxMode(static_cast<DWORD>(muxMode)));
        ASSERT_EQ(S_OK, config->SetTimeProperty(videoTimeProperty, 1));

        MuxTestSource* source = MuxTestSource::Create(width, height, video, audio);
        ComPtr<IBaseFilter> sourceRef = source;
        MuxGraph graph;
        ASSERT_EQ(S_OK, build ? build(graph, source, mux.Get()) : graph.Build(source, mux.Get()));
        graph.DrainEvents();
        ASSERT_HRESULT_SUCCEEDED(graph.control->Run());
        EXPECT_TRUE(graph.WaitForEvent(EC_COMPLETE, 60000)) << "no EC_COMPLETE";
        DWORD dropped = 0, blocks = 0;
        ASSERT_EQ(S_OK, config->GetCounts(&counts->videoFrames, &counts->audioBuffers, &dropped, &blocks));
        EXPECT_EQ(0u, dropped);
        ASSERT_HRESULT_SUCCEEDED(graph.control->Stop());
        EXPECT_FALSE(graph.WaitForEvent(EC_ERRORABORT, 0));
    }

    static std::vector<std::wstring> SetFiles(const std::wstring& base)
    {
        std::vector<std::wstring> files;
        for (int i = 0; i < 40 && FileExists(NumberedFile(base, i)); ++i)
            files.push_back(NumberedFile(base, i));
        return files;
    }
};

TEST_F(MuxRecording, StandardDefinitionIntoASetOfTenMegabyteFiles)
{
    const std::wstring base = RecordingPath(L"sd480_");
    StreamPlan video, audio;
    video.count = 90;
    audio.count = 90;
    Counts counts;
    Record(base, 720, 480, video, audio, 10, &counts);
    EXPECT_EQ(90u, counts.videoFrames);
    EXPECT_EQ(90u, counts.audioBuffers);

    const auto files = SetFiles(base);
    EXPECT_GE(files.size(), 6u) << "62 MB of video in files of at most 9 MiB";
    EXPECT_FALSE(FileExists(base + L"039.avi"));
    int played = 0;
    for (const auto& file : files) {
        const int frames = FramesPlayedBack(file);
        EXPECT_GT(frames, 0) << "file " << files.size();
        played += frames;
    }
    EXPECT_EQ(90, played) << "every frame comes back through the AVI splitter";
}

// Folder and files named outside the ANSI code page, in both modes; check_recordings.py
// finds the same names, byte for byte in UTF-8, and has ffprobe read the files.
TEST_F(MuxRecording, NamesOutsideTheAnsiCodePageAreKeptExactly)
{
    const std::wstring folder = RecordingPath(kNameOutsideCodePage);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring setBase = folder + L"\\take_", singleBase = folder + L"\\take";
    StreamPlan video, audio;
    Counts counts;
    Record(setBase, 320, 240, video, audio, 2048, &counts, trelvox::MuxMode::Avi1FileSet);
    Record(singleBase, 320, 240, video, audio, 2048, &counts, trelvox::MuxMode::OpenDml);

    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*.avi").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search) << "the folder holds no recording";
    do
        names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::wstring>{L"take.avi", L"take_000.avi"}), names);
    EXPECT_EQ(30, FramesPlayedBack(setBase + L"000.avi"));
    EXPECT_EQ(30, FramesPlayedBack(singleBase + L".avi"));
}

TEST_F(MuxRecording, HighDefinitionWithAudio)
{
    const std::wstring base = RecordingPath(L"hd1080_");
    StreamPlan video, audio;
    video.count = 20;
    audio.count = 20;
    Counts counts;
    Record(base, 1920, 1080, video, audio, 2048, &counts);
    EXPECT_EQ(20u, counts.videoFrames);
    ASSERT_EQ(1u, SetFiles(base).size());
    EXPECT_EQ(20, FramesPlayedBack(base + L"000.avi"));
}

TEST_F(MuxRecording, AudioOnly)
{
    const std::wstring base = RecordingPath(L"audio_");
    StreamPlan audio;
    audio.count = 90;
    Counts counts;
    Record(base, 0, 0, StreamPlan{false}, audio, 2048, &counts);
    EXPECT_EQ(0u, counts.videoFrames);
    EXPECT_EQ(90u, counts.audioBuffers);
    EXPECT_EQ(1u, SetFiles(base).size());
}

// The stand-in Motion JPEG compressor between source and multiplexer, its output type
// left without a frame duration (as some compressors do) while its input has 29.97.
HRESULT BuildThroughUntimedCompressor(MuxGraph& graph, IBaseFilter* source, IBaseFilter* mux)
{
    constexpr wchar_t kFaults[] = L"Software\\StandinCodecs";
    ComPtr<IBaseFilter> compressor;
    HRESULT hr =
        CoCreateInstance(standin::kClsidMjpegCompressor, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&compressor));
    if (FAILED(hr) || FAILED(hr = graph.Create()) || FAILED(hr = graph.graph->AddFilter(source, L"Test Source")) ||
        FAILED(hr = graph.graph->AddFilter(compressor.Get(), L"MJPEG")) ||
        FAILED(hr = graph.graph->AddFilter(mux, L"Pelkor AVI Mux")))
        return hr;
    const DWORD on = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kFaults, L"UntimedOutput", REG_DWORD, &on, sizeof on);
    ComPtr<IEnumPins> pins;
    compressor->EnumPins(&pins);
    ComPtr<IPin> in, out;
    pins->Next(1, &in, nullptr);
    pins->Next(1, &out, nullptr);
    hr = graph.graph->ConnectDirect(PinByName(source, L"Video").Get(), in.Get(), nullptr);
    if (SUCCEEDED(hr))
        hr = graph.graph->ConnectDirect(out.Get(), PinByName(mux, L"Video").Get(), nullptr);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kFaults, L"UntimedOutput");
    AM_MEDIA_TYPE offered{};
    if (SUCCEEDED(hr) && SUCCEEDED(out->ConnectionMediaType(&offered))) {
        EXPECT_EQ(0, reinterpret_cast<VIDEOINFOHEADER*>(offered.pbFormat)->AvgTimePerFrame) << "the fault is on";
        FreeMediaType(offered);
    }
    if (SUCCEEDED(hr))
        hr = graph.graph->ConnectDirect(PinByName(source, L"Audio").Get(), PinByName(mux, L"Audio").Get(), nullptr);
    return hr;
}

// A video type of AvgTimePerFrame 0 from a compressor whose own input has the rate: the
// rate is taken from there (the pictures carry no time stamps, so nothing else could tell
// it). check_recordings.py has ffprobe and ffmpeg judge the file.
TEST_F(MuxRecording, AnUntimedCompressorOutputTakesTheRateOfTheCompressorInput)
{
    const std::wstring base = RecordingPath(L"untimed_mjpg_");
    StreamPlan video, audio;
    video.count = 90;
    video.unstampedFrom = 0;
    audio.count = 90;
    Counts counts;
    Record(base, 320, 240, video, audio, 2048, &counts, trelvox::MuxMode::Avi1FileSet, BuildThroughUntimedCompressor,
           0);
    EXPECT_EQ(90u, counts.videoFrames);
    ASSERT_EQ(1u, SetFiles(base).size());
    EXPECT_EQ(90, FramesPlayedBack(base + L"000.avi"));
}

// A video type of AvgTimePerFrame 0 straight from the source, its samples stamped with
// start times only: the rate is the difference of the first two.
TEST_F(MuxRecording, AnUntimedTypeTakesTheRateOfTheStartTimes)
{
    const std::wstring base = RecordingPath(L"untimed_stamped_");
    StreamPlan video, audio;
    video.count = 90;
    video.untimedType = true;
    video.startTimesOnly = true;
    audio.count = 90;
    Counts counts;
    Record(base, 320, 240, video, audio, 2048, &counts);
    EXPECT_EQ(90u, counts.videoFrames);
    ASSERT_EQ(1u, SetFiles(base).size());
    EXPECT_EQ(90, FramesPlayedBack(base + L"000.avi"));
}

// The forms of the RIFFs that follow each other through the whole file, or an empty list
// when the chain does not end exactly at the end of the file.
std::vector<std::string> RiffChain(const std::wstring& path)
{
    std::vector<std::string> forms;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return forms;
    LARGE_INTEGER size{}, at{};
    GetFileSizeEx(file, &size);
    while (at.QuadPart + 12 <= size.QuadPart) {
        char header[12] = {};
        DWORD read = 0;
        if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !ReadFile(file, header, 12, &read, nullptr) ||
            read != 12 || std::string(header, 4) != "RIFF")
            break;
        forms.emplace_back(header + 8, 4);
        DWORD riffSize = 0;
        std::memcpy(&riffSize, header + 4, 4);
        at.QuadPart += 8 + static_cast<LONGLONG>(riffSize);
    }
    CloseHandle(file);
    if (at.QuadPart != size.QuadPart)
        forms.clear();
    return forms;
}

// An OpenDML file of more than 2 GiB in three RIFFs, played back by the platform's AVI
// splitter; ffprobe and ffmpeg judge it afterwards (check_recordings.py deletes it).
TEST_F(MuxRecording, OpenDmlBeyondTwoGibibytes)
{
    const std::wstring base = RecordingPath(L"odml_");
    StreamPlan video, audio;
    video.count = 520;
    audio.count = 520;
    Counts counts;
    Record(base, 1920, 1080, video, audio, 2048, &counts, trelvox::MuxMode::OpenDml);
    EXPECT_EQ(520u, counts.videoFrames);
    EXPECT_EQ(520u, counts.audioBuffers);
    EXPECT_FALSE(FileExists(NumberedFile(base, 0))) << "one file, without a number";
    const std::wstring file = base + L".avi";
    EXPECT_EQ((std::vector<std::string>{"AVI ", "AVIX", "AVIX"}), RiffChain(file));
    EXPECT_EQ(520, FramesPlayedBack(file));
}

// A recording process killed mid-recording leaves a file whose frames still decode.
TEST_F(MuxRecording, KilledRecorderLeavesAPlayableFile)
{
    const std::wstring base = RecordingPath(L"killed_");
    DeleteRecording(base);
    const std::wstring file = base + L"000.avi";
    EXPECT_TRUE(RecordInChildAndTerminate(L"\"" + base + L"\"", file, 8 * 1024 * 1024, 30000))
        << "the recorder ended by itself";
    const LONGLONG size = FileSize(file);
    EXPECT_GE(size, 8 * 1024 * 1024) << "the recording did not grow";
}

// On a 4 MB volume (small_disk.sh, root only) the disk fills up mid-recording: the
// recording ends with EC_ERRORABORT and what reached the disk is finished at Stop.
TEST_F(MuxRecording, AFullDiskEndsTheRecordingAndKeepsWhatWasWritten)
{
    wchar_t folder[MAX_PATH] = {};
    GetFullPathNameW(L"smalldisk\\", MAX_PATH, folder, nullptr);
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExW(folder, nullptr, &total, nullptr) || total.QuadPart > 16 * 1024 * 1024)
        GTEST_SKIP() << "no small volume mounted at smalldisk (mounting needs root)";
    const std::wstring base = std::wstring(folder) + L"full_";
    DeleteRecording(base);

    ComPtr<IBaseFilter> mux;
    ASSERT_EQ(S_OK, BindMuxByMoniker(&mux));
    ComPtr<IFileSinkFilter> sink;
    ASSERT_HRESULT_SUCCEEDED(mux.As(&sink));
    ASSERT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr));
    StreamPlan endless;
    endless.count = -1;
    MuxTestSource* source = MuxTestSource::Create(720, 480, endless, endless);
    ComPtr<IBaseFilter> sourceRef = source;
    MuxGraph graph;
    ASSERT_EQ(S_OK, graph.Build(source, mux.Get()));
    graph.DrainEvents();
    ASSERT_HRESULT_SUCCEEDED(graph.control->Run());
    LONG_PTR failure = 0;
    EXPECT_TRUE(graph.WaitForEvent(EC_ERRORABORT, 30000, &failure));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DISK_FULL), static_cast<HRESULT>(failure));
    ASSERT_HRESULT_SUCCEEDED(graph.control->Stop());
    EXPECT_TRUE(FileExists(base + L"000.avi"));
    EXPECT_FALSE(FileExists(base + L"001.avi")) << "unused files are deleted";
    EXPECT_GT(FramesPlayedBack(base + L"000.avi"), 0);
}

}  // namespace
