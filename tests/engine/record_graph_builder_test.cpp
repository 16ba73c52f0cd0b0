// The record graph against the simulated card: Trelvox from the record
// profile, the preview branch or none, a multiplexer that cannot be bound,
// another multiplexer behind a File Writer, and a full disk ending the
// recording. The files stay in recordings\ for ffprobe and ffmpeg
// (check_engine_recordings.py).
#include "CaptureGraph.h"
#include "IMuxConfig.h"
#include "MuxFileName.h"
#include "RendererInterfaces.h"
#include "ReportText.h"
#include "../profiles/CurrentProfiles.h"
#include "CardTestSupport.h"
#include "DetectionDriver.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kTrelvoxName[] = L"Pelkor AVI Mux";
// Wine's and Windows' own AVI Mux, which writes through a File Writer.
constexpr wchar_t kAviMuxMoniker[] =
    L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{E2510970-F137-11CE-8B67-00AA00A3F1A6}";
// The stand-in G.711 compressor, which takes audio only.
constexpr wchar_t kG711Moniker[] =
    L"@device:sw:{33D9A761-90C8-11D0-BD43-00A0C911CE86}\\{54D05EDC-DA62-4993-BDBA-ACF061206563}";
// A class nobody registered.
constexpr wchar_t kUnknownMoniker[] =
    L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{0BADF00D-0000-4000-8000-000000000001}";

std::wstring FullPath(const wchar_t* relative)
{
    wchar_t path[MAX_PATH] = {};
    GetFullPathNameW(relative, MAX_PATH, path, nullptr);
    return path;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::wstring& path)
{
    std::string text;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, n);
        fclose(file);
    }
    return text;
}

// Dispatches the thread's messages for a while, as the main window's loop would.
void PumpFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

std::vector<std::wstring> FilterNames(IGraphBuilder* graph)
{
    std::vector<std::wstring> names;
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(&filters)))
        return names;
    for (ComPtr<IBaseFilter> filter; filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK;) {
        FILTER_INFO info{};
        filter->QueryFilterInfo(&info);
        if (info.pGraph)
            info.pGraph->Release();
        names.push_back(info.achName);
    }
    return names;
}

// The graph's filters for which the test holds, or -1 when they cannot be listed.
int CountFilters(IGraphBuilder* graph, const std::function<bool(const ComPtr<IBaseFilter>&)>& test)
{
    int count = 0;
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(&filters)))
        return -1;
    for (ComPtr<IBaseFilter> filter; filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK;) {
        if (test(filter))
            ++count;
    }
    return count;
}

// Filters that render: a video window or an audio output.
int RendererCount(IGraphBuilder* graph)
{
    return CountFilters(graph, [](const ComPtr<IBaseFilter>& filter) {
        ComPtr<IVideoWindow> window;
        ComPtr<IBasicAudio> audio;
        ComPtr<IAMDirectSound> sound;
        return SUCCEEDED(filter.As(&window)) || SUCCEEDED(filter.As(&audio)) || SUCCEEDED(filter.As(&sound));
    });
}

int FileSinkCount(IGraphBuilder* graph)
{
    return CountFilters(graph, [](const ComPtr<IBaseFilter>& filter) {
        ComPtr<IFileSinkFilter> sink;
        return SUCCEEDED(filter.As(&sink));
    });
}

bool Holds(const std::vector<std::wstring>& names, const std::wstring& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

class RecordGraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ResetCard();
        SetCardValue(L"Input", L"480i");
        host = MakeHostWindow();
        view = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 360, host, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        CreateDirectoryW(L"recordings", nullptr);
        profilePath = FullPath(L"recordings\\record-graph.prf");
        engine = std::make_unique<CCaptureGraph>();
        CaptureSetup setup;
        setup.viewWindow = view;
        setup.notifyWindow = host;
        setup.graphEventMessage = WM_APP + 2;
        setup.stillImageMessage = WM_APP + 3;
        setup.recordProfilePath = profilePath;
        engine->Configure(setup);
        engine->SetRendererKind(engine::VideoRendererKind::Vmr7);
    }
    void TearDown() override
    {
        engine.reset();
        DestroyWindow(host);
        DeleteFileW(profilePath.c_str());
        ResetCard();
        CoUninitialize();
    }

    // Answers the graph's events as the main window does, until one ends the recording
    // (S_FALSE) or 30 s have passed (S_OK).
    HRESULT HandleEventsUntilTheGraphEndsTheRecording()
    {
        HRESULT handled = S_OK;
        const DWORD start = GetTickCount();
        while (handled == S_OK && GetTickCount() - start < 30000) {
            PumpFor(100);
            handled = engine->HandleGraphEvents();
        }
        return handled;
    }

    // Trelvox (or another multiplexer) and no compressors.
    HRESULT WriteProfile(const RecordOptions& options, const std::wstring& muxName, const std::wstring& muxMoniker,
                         const std::function<void(IBaseFilter*)>& configure = {})
    {
        RecordProfile profile;
        profile.options = options;
        profile.mux.friendlyName = muxName;
        profile.mux.displayName = muxMoniker;
        // A multiplexer that binds gives its state; one that does not is stored by name only.
        BindFilterByDisplayName(muxMoniker, &profile.mux.filter);
        if (configure && profile.mux.filter)
            configure(profile.mux.filter.Get());
        profile.videoCompressor.displayName = videoCompressor.empty() ? NullVideoDisplayName() : videoCompressor;
        profile.audioCompressor.displayName = NullAudioDisplayName();
        return WriteRecordProfile(profilePath, profile);
    }

    void OpenAndDetect()
    {
        ASSERT_EQ(S_OK, engine->Open());
        ASSERT_EQ(S_OK, DetectSignal(*engine));
        ASSERT_EQ(1, engine->SignalFormat()) << "480i";
    }

    // What the record profile names as the video compressor; none when empty.
    std::wstring videoCompressor;
    HWND host = nullptr;
    HWND view = nullptr;
    std::wstring profilePath;
    std::unique_ptr<CCaptureGraph> engine;
};

// The recording and its report stay for check_engine_recordings.py.
TEST_F(RecordGraphTest, RecordsTheCardIntoTrelvoxWithAPreviewAndAReport)
{
    ASSERT_EQ(S_OK, WriteProfile(RecordOptions{}, kTrelvoxName, engine::kTrelvoxMoniker));
    OpenAndDetect();
    const std::wstring file = FullPath(L"recordings\\engine_rec.avi");
    const std::wstring log = FullPath(L"recordings\\engine_rec.log");
    DeleteFileW((engine::WithoutExtension(file) + L"000.avi").c_str());
    ASSERT_EQ(S_OK, engine->OpenReport(log, file));

    ASSERT_EQ(S_OK, engine->BuildRecord(0, file));
    EXPECT_EQ(engine::kRecordBuilt, engine->State());
    const std::vector<std::wstring> names = FilterNames(engine->Graph());
    for (const wchar_t* name : {kTrelvoxName, L"Video Sample Grabber", L"Audio Sample Grabber", L"Video Image Capture",
                                L"Video Renderer Filter"})
        EXPECT_TRUE(Holds(names, name)) << "the graph holds " << testing::PrintToString(std::wstring(name));
    EXPECT_EQ(2, RendererCount(engine->Graph())) << "the preview's video and audio renderers";

    ASSERT_EQ(S_OK, engine->RunRecord());
    EXPECT_EQ(engine::kRecording, engine->State());
    EXPECT_EQ(S_OK, engine->ArmStillImage()) << "the preview branch has a video renderer";
    PumpFor(3000);
    GUID timeFormat{};
    LONGLONG position = 0;
    EXPECT_EQ(S_OK, engine->GetPosition(timeFormat, position)) << "a preview keeps the seeking interface";
    EXPECT_EQ(S_OK, engine->HandleGraphEvents()) << "nothing ended the recording";
    ASSERT_EQ(S_OK, engine->StopRecord());
    EXPECT_EQ(engine::kIdle, engine->State());
    EXPECT_EQ(nullptr, engine->Multiplexer());
    EXPECT_GT(engine->Report().totalFrames, 60);
    EXPECT_GT(engine->Report().totalBlocks, 0);
    EXPECT_EQ(48000, engine->Report().audioSamplesPerSecond);
    ASSERT_EQ(S_OK, engine->WriteReportBody());
    ASSERT_EQ(S_OK, engine->CloseReport());
    EXPECT_EQ(E_FAIL, engine->WriteReportBody()) << "closed";

    EXPECT_TRUE(FileExists(engine::WithoutExtension(file) + L"000.avi")) << "Trelvox got the name without .avi";
    const std::string report = ReadFile(log);
    const std::string recordingLine = "Recording file: " + engine::ToUtf8(file) + "\r\n";
    EXPECT_NE(std::string::npos, report.find(recordingLine)) << "the name as the main window gave it";
    EXPECT_NE(std::string::npos, report.find("Multiplexer:            Pelkor AVI Mux\r\n"));
    EXPECT_NE(std::string::npos, report.find("Video Compressor:       N/A\r\nAudio Compressor:       PCM\r\n"));
    EXPECT_NE(std::string::npos, report.find("Video Preview Renderer: Video Mixing Renderer 7\r\n"));
    EXPECT_NE(std::string::npos, report.find("Format: YUY2 720x480/29.97fps (333667x100ns/f)\r\n"));
    EXPECT_NE(std::string::npos, report.find("Format: 48000Hz 16bit 2ch\r\n"));
}

TEST_F(RecordGraphTest, WithoutPreviewTheGraphHoldsNoRendererAndNoStillGrabber)
{
    RecordOptions options;
    options.noPreviewWhileRecording = 1;
    ASSERT_EQ(S_OK, WriteProfile(options, kTrelvoxName, engine::kTrelvoxMoniker));
    OpenAndDetect();
    const std::wstring file = FullPath(L"recordings\\engine_nopreview.avi");
    ASSERT_EQ(S_OK, engine->BuildRecord(0, file));

    const std::vector<std::wstring> names = FilterNames(engine->Graph());
    EXPECT_FALSE(Holds(names, L"Video Renderer Filter"));
    EXPECT_FALSE(Holds(names, L"Video Image Capture"));
    EXPECT_TRUE(Holds(names, L"Video Sample Grabber"));
    EXPECT_TRUE(Holds(names, L"Audio Sample Grabber"));
    EXPECT_EQ(0, RendererCount(engine->Graph()));

    ASSERT_EQ(S_OK, engine->RunRecord());
    PumpFor(500);
    EXPECT_EQ(E_FAIL, engine->ArmStillImage());
    GUID timeFormat{};
    LONGLONG position = 0;
    EXPECT_EQ(E_FAIL, engine->GetPosition(timeFormat, position)) << "Trelvox without preview: no seeking";
    ASSERT_EQ(S_OK, engine->StopRecord());
    EXPECT_EQ(0, engine->Report().totalFrames) << "no report file open: no statistics collected";
    EXPECT_GT(engine->VideoCounters().samples, 0) << "though frames were counted";
    EXPECT_TRUE(FileExists(engine::WithoutExtension(file) + L"000.avi"));
    DeleteFileW((engine::WithoutExtension(file) + L"000.avi").c_str());
}

TEST_F(RecordGraphTest, PriorityAndLoadThreadFollowTheRecordOptions)
{
    RecordOptions options;
    options.noPreviewWhileRecording = 1;
    options.loadThreadWhileRecording = 1;
    options.priorityClass = HIGH_PRIORITY_CLASS;
    ASSERT_EQ(S_OK, WriteProfile(options, kTrelvoxName, engine::kTrelvoxMoniker));
    OpenAndDetect();
    const std::wstring file = FullPath(L"recordings\\engine_priority.avi");
    ASSERT_EQ(S_OK, engine->BuildRecord(0, file));
    EXPECT_EQ(HIGH_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess()));
    EXPECT_TRUE(engine->LoadThreadRunning());
    ASSERT_EQ(S_OK, engine->RunRecord());
    ASSERT_EQ(S_OK, engine->StopRecord());
    EXPECT_EQ(NORMAL_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess())) << "restored";
    EXPECT_FALSE(engine->LoadThreadRunning()) << "started for the recording, stopped with it";

    // A load thread the user started before stays after the recording.
    ASSERT_TRUE(engine->StartLoadThread());
    ASSERT_EQ(S_OK, engine->BuildRecord(0, file));
    ASSERT_EQ(S_OK, engine->RunRecord());
    ASSERT_EQ(S_OK, engine->StopRecord());
    EXPECT_TRUE(engine->LoadThreadRunning());
    engine->StopLoadThread();
    DeleteFileW((engine::WithoutExtension(file) + L"000.avi").c_str());
}

TEST_F(RecordGraphTest, AMultiplexerThatCannotBeBoundFailsTheBuild)
{
    ASSERT_EQ(S_OK, WriteProfile(RecordOptions{}, L"Gone Mux", kUnknownMoniker));
    OpenAndDetect();
    const HRESULT hr = engine->BuildRecord(0, FullPath(L"recordings\\never.avi"));
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_NE(engine::kRecordBuilt, engine->State());
    EXPECT_EQ(E_FAIL, engine->RunRecord());
    EXPECT_EQ(S_OK, engine->TearDown());
    EXPECT_EQ(engine::kIdle, engine->State());

    // No record profile at all fails as well.
    DeleteFileW(profilePath.c_str());
    EXPECT_TRUE(FAILED(engine->BuildRecord(0, FullPath(L"recordings\\never.avi"))));
}

// Any other multiplexer gets the name unchanged, through a File Writer when it has no file sink.
TEST_F(RecordGraphTest, AnotherMultiplexerWritesThroughAFileWriterUnderTheWholeName)
{
    ComPtr<IBaseFilter> aviMux;
    if (FAILED(BindFilterByDisplayName(kAviMuxMoniker, &aviMux)))
        GTEST_SKIP() << "no AVI Mux installed";
    aviMux.Reset();
    RecordOptions options;
    options.noPreviewWhileRecording = 1;
    ASSERT_EQ(S_OK, WriteProfile(options, L"AVI Mux", kAviMuxMoniker));
    OpenAndDetect();
    const std::wstring file = FullPath(L"recordings\\engine_avimux.avi");
    DeleteFileW(file.c_str());
    const HRESULT built = engine->BuildRecord(0, file);
    // Wine's AVI Mux connects video only ("avi_mux_sink_connect format not supported" for
    // any WAVEFORMATEX), so the audio stream cannot reach it there.
    if (built == VFW_E_CANNOT_CONNECT && RunsUnderWine())
        GTEST_SKIP() << "Wine's AVI Mux takes no audio stream";
    ASSERT_EQ(S_OK, built);
    // Windows' AVI Mux has no file sink and gets a File Writer; one that has one writes itself.
    ComPtr<IFileSinkFilter> sink;
    const bool writesItself = SUCCEEDED(engine->Multiplexer()->QueryInterface(IID_PPV_ARGS(&sink)));
    EXPECT_TRUE(Holds(FilterNames(engine->Graph()), L"AVI Mux"));
    EXPECT_EQ(1, FileSinkCount(engine->Graph())) << (writesItself ? "the multiplexer" : "the File Writer");
    ASSERT_EQ(S_OK, engine->RunRecord());
    PumpFor(1000);
    ASSERT_EQ(S_OK, engine->StopRecord());
    EXPECT_TRUE(FileExists(file)) << "the File Writer wrote the name with its extension";
}

// Trelvox set to one file of five frames sends its all-files-full event, which
// ends the recording; the settings come from the state stored in the profile.
TEST_F(RecordGraphTest, AllFilesFullStopsTheRecordingFromTheGraphEvent)
{
    RecordOptions options;
    options.noPreviewWhileRecording = 1;
    ASSERT_EQ(S_OK, WriteProfile(options, kTrelvoxName, engine::kTrelvoxMoniker, [](IBaseFilter* mux) {
                  ComPtr<IMuxConfig> config;
                  ASSERT_EQ(S_OK, mux->QueryInterface(IID_IMuxConfig, reinterpret_cast<void**>(config.GetAddressOf())));
                  config->SetMaxFiles(1);
                  config->SetSplitMode(1);
                  config->SetSplitCounts(5, 600);
              }));
    OpenAndDetect();
    const std::wstring file = FullPath(L"recordings\\engine_filesfull.avi");
    ASSERT_EQ(S_OK, engine->BuildRecord(0, file));
    ASSERT_EQ(S_OK, engine->RunRecord());
    ASSERT_EQ(S_FALSE, HandleEventsUntilTheGraphEndsTheRecording()) << "the recording was not ended by the graph";
    EXPECT_EQ(engine::kIdle, engine->State());
    EXPECT_EQ(CCaptureGraph::kEventFilesFull, engine->LastRecordingEnd().code);
    EXPECT_EQ(1, engine->LastRecordingEnd().param);
    EXPECT_EQ(E_FAIL, engine->StopRecord()) << "already stopped";
    EXPECT_EQ(S_OK, engine->HandleGraphEvents()) << "nothing left to act on";
    EXPECT_TRUE(FileExists(engine::WithoutExtension(file) + L"000.avi"));
    EXPECT_FALSE(FileExists(engine::WithoutExtension(file) + L"001.avi"));
    DeleteFileW((engine::WithoutExtension(file) + L"000.avi").c_str());
}

// On a 4 MB volume (tests/avimux/small_disk.sh, root only) Trelvox runs out of
// space: the graph's EC_ERRORABORT stops the recording as the stop command does.
TEST_F(RecordGraphTest, AFullDiskStopsTheRecordingFromTheGraphEvent)
{
    const std::wstring folder = FullPath(L"smalldisk\\");
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), nullptr, &total, nullptr) || total.QuadPart > 16 * 1024 * 1024)
        GTEST_SKIP() << "no small volume mounted at smalldisk (mounting needs root)";
    RecordOptions options;
    options.noPreviewWhileRecording = 1;
    ASSERT_EQ(S_OK, WriteProfile(options, kTrelvoxName, engine::kTrelvoxMoniker));
    OpenAndDetect();
    const std::wstring file = folder + L"engine_full.avi";
    const std::wstring log = FullPath(L"recordings\\engine_full.log");
    ASSERT_EQ(S_OK, engine->OpenReport(log, file));
    ASSERT_EQ(S_OK, engine->BuildRecord(1, file));
    ASSERT_EQ(S_OK, engine->RunRecord());

    // The event arrives as the graph-event message; the main window answers it with HandleGraphEvents.
    ASSERT_EQ(S_FALSE, HandleEventsUntilTheGraphEndsTheRecording()) << "the recording was not ended by the graph";
    EXPECT_EQ(engine::kIdle, engine->State());
    EXPECT_EQ(EC_ERRORABORT, engine->LastRecordingEnd().code);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DISK_FULL), static_cast<HRESULT>(engine->LastRecordingEnd().param));
    EXPECT_TRUE(engine->TakePreviewResume()) << "kept for the main window's preview restart";
    EXPECT_GT(engine->Report().totalFrames, 0) << "statistics collected at the stop";
    EXPECT_EQ(S_OK, engine->WriteReportBody());
    EXPECT_EQ(S_OK, engine->CloseReport());
    EXPECT_NE(std::string::npos, ReadFile(log).find("Total frame:"));
    EXPECT_TRUE(FileExists(engine::WithoutExtension(file) + L"000.avi")) << "what was written stays";
}

// A build that fails after the multiplexer was added (an audio compressor given the
// video) and a run that fails (Trelvox cannot make its files): the tear-down leaves
// only the card's filters, the priority class and no load thread of the attempt.
TEST_F(RecordGraphTest, FailedStartsLeaveNothingOfTheAttemptBehind)
{
    RecordOptions options;
    options.noPreviewWhileRecording = 1;
    options.loadThreadWhileRecording = 1;
    options.priorityClass = HIGH_PRIORITY_CLASS;
    videoCompressor = kG711Moniker;
    ASSERT_EQ(S_OK, WriteProfile(options, kTrelvoxName, engine::kTrelvoxMoniker));
    OpenAndDetect();
    const std::vector<std::wstring> cardOnly = FilterNames(engine->Graph());
    ASSERT_EQ(2u, cardOnly.size()) << "the crossbar and the capture filter: " << testing::PrintToString(cardOnly);

    EXPECT_TRUE(FAILED(engine->BuildRecord(0, FullPath(L"recordings\\refused.avi"))));
    engine->TearDown();
    EXPECT_EQ(cardOnly, FilterNames(engine->Graph())) << "no multiplexer or compressor stays";

    videoCompressor.clear();
    ASSERT_EQ(S_OK, WriteProfile(options, kTrelvoxName, engine::kTrelvoxMoniker));
    ASSERT_EQ(S_OK, engine->BuildRecord(0, FullPath(L"recordings\\gone\\nowhere.avi")));
    EXPECT_EQ(HIGH_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess()));
    EXPECT_TRUE(FAILED(engine->RunRecord())) << "the folder does not exist";
    engine->TearDown();
    EXPECT_EQ(NORMAL_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess()));
    EXPECT_FALSE(engine->LoadThreadRunning());
    EXPECT_EQ(cardOnly, FilterNames(engine->Graph()));
}

// An abort queued before the recording started does not end it; one that comes while
// the stop command runs is kept for the main window to tell.
TEST_F(RecordGraphTest, OnlyAbortsOfThisRecordingCount)
{
    RecordOptions options;
    options.noPreviewWhileRecording = 1;
    ASSERT_EQ(S_OK, WriteProfile(options, kTrelvoxName, engine::kTrelvoxMoniker));
    OpenAndDetect();
    ComPtr<IMediaEventSink> events;
    ASSERT_EQ(S_OK, engine->Graph()->QueryInterface(IID_PPV_ARGS(&events)));
    const std::wstring file = FullPath(L"recordings\\engine_aborts.avi");
    ASSERT_EQ(S_OK, engine->BuildRecord(0, file));
    ASSERT_EQ(S_OK, events->Notify(EC_ERRORABORT, E_OUTOFMEMORY, 0));
    ASSERT_EQ(S_OK, engine->RunRecord());
    PumpFor(500);
    EXPECT_EQ(S_OK, engine->HandleGraphEvents());
    EXPECT_EQ(engine::kRecording, engine->State());

    ASSERT_EQ(S_OK, events->Notify(EC_ERRORABORT, E_FAIL, 0));
    ASSERT_EQ(S_OK, engine->StopRecord());
    EXPECT_EQ(EC_ERRORABORT, engine->LastRecordingEnd().code);
    EXPECT_EQ(E_FAIL, static_cast<HRESULT>(engine->LastRecordingEnd().param));
    DeleteFileW((engine::WithoutExtension(file) + L"000.avi").c_str());
}

}  // namespace
