// Playback through "~Video" and "~Audio" while the simulated card records into the
// multiplexer, across the files of a set and across the RIFFs of an OpenDML file: what
// the pins deliver is what the files hold at that position; Seek, Pause, the rate and
// GetPosition; the recording itself stays complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "IMuxConfig.h"
#include "IMuxTimeShift.h"
#include "AviWalker.h"
#include "DiskFile.h"
#include "MuxGraphSupport.h"
#include "MuxMode.h"
#include "CardCaptureGraph.h"
#include "SimControl.h"
#include "TestPicture.h"

namespace {

constexpr REFERENCE_TIME kFrame = 333667;

// The card's input and picture size; YUY2.
struct Picture {
    const wchar_t* input;
    int width, height;
    long Bytes() const { return static_cast<long>(width) * height * 2; }
};

uint64_t Hash(const BYTE* data, size_t length)
{
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < length; ++i)
        h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

std::optional<uint32_t> FrameNumber(const Picture& picture, const BYTE* data, long length)
{
    if (length != picture.Bytes())
        return std::nullopt;
    return cardsim::ReadFrameNumber(data, picture.width * 2, picture.width, picture.height);
}

// What one "~" pin delivered: video as hashes, audio as runs of bytes between discontinuities.
class PlaybackCollector final : public GrabberCallback {
public:
    struct Frame {
        uint64_t hash;
        long length;
        bool discontinuity;
        std::optional<uint32_t> number;
    };

    PlaybackCollector(bool video, const Picture& picture) : video_(video), picture_(picture) {}

    STDMETHODIMP SampleCB(double, IMediaSample* sample) override
    {
        BYTE* data = nullptr;
        if (FAILED(sample->GetPointer(&data)))
            return S_OK;
        const long length = sample->GetActualDataLength();
        const bool discontinuity = sample->IsDiscontinuity() == S_OK;
        std::lock_guard<std::mutex> hold(lock_);
        if (video_) {
            frames_.push_back({Hash(data, length), length, discontinuity, FrameNumber(picture_, data, length)});
        } else {
            if (discontinuity || runs_.empty())
                runs_.emplace_back();
            runs_.back().insert(runs_.back().end(), data, data + length);
        }
        return S_OK;
    }

    size_t Count()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return video_ ? frames_.size() : runs_.size();
    }
    std::vector<Frame> Frames()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return frames_;
    }
    std::vector<std::vector<BYTE>> Runs()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return runs_;
    }

private:
    const bool video_;
    const Picture picture_;
    std::mutex lock_;
    std::vector<Frame> frames_;
    std::vector<std::vector<BYTE>> runs_;
};

// The streams as the finished files hold them, chunk by chunk in write order.
struct WrittenStreams {
    std::vector<uint64_t> videoHashes;  // 0 for a null frame
    std::map<uint32_t, uint64_t> hashByNumber;
    std::vector<BYTE> audio;
    uint32_t videoStart = 0;         // dwStart of the video stream in the first file
    std::vector<size_t> riffStarts;  // the first video chunk of each RIFF after the first
};

void ReadMovi(const trelvox::test::AviReader& r, const trelvox::test::Chunk& movi, const Picture& picture,
              WrittenStreams& out)
{
    for (const trelvox::test::Chunk& c : trelvox::test::ListChildren(r, movi)) {
        const bool video = c.id == "00dc" || c.id == "00db";
        if (!video && c.id != "01wb")
            continue;
        const std::vector<uint8_t> data = c.size == 0 ? std::vector<uint8_t>() : r.Read(c.Data(), c.size);
        if (!video) {
            out.audio.insert(out.audio.end(), data.begin(), data.end());
        } else if (c.size == 0) {
            out.videoHashes.push_back(0);
        } else {
            out.videoHashes.push_back(Hash(data.data(), c.size));
            if (const auto number = FrameNumber(picture, data.data(), static_cast<long>(c.size)))
                out.hashByNumber[*number] = out.videoHashes.back();
        }
    }
}

// Every RIFF of the file ("AVI " and "AVIX"), and the movi list of each.
void ReadAviFile(const std::wstring& path, bool first, const Picture& picture, WrittenStreams& out)
{
    const trelvox::test::DiskFile file{std::filesystem::path(path)};
    const trelvox::test::AviReader r(file.Source());
    const std::vector<trelvox::test::Chunk> riffs = trelvox::test::Riffs(r);
    ASSERT_FALSE(riffs.empty()) << "no RIFF in the recording";
    for (const trelvox::test::Chunk& riff : riffs) {
        if (riff.offset > 0)
            out.riffStarts.push_back(out.videoHashes.size());
        for (const trelvox::test::Chunk& c : trelvox::test::ListChildren(r, riff)) {
            const std::string form = c.id == "LIST" ? trelvox::test::Form(r, c) : std::string();
            if (form == "movi")
                ReadMovi(r, c, picture, out);
            if (first && form == "hdrl") {
                // The first strh follows avih: its dwStart at byte 28 of its data.
                for (uint64_t h = c.offset + 12; h + 8 < c.End(); h += 4) {
                    if (r.Id(h) == "strh" && r.Id(h + 8) == "vids") {
                        out.videoStart = r.U32(h + 8 + 28);
                        break;
                    }
                }
            }
        }
    }
}

bool Connected(IPin* pin)
{
    ComPtr<IPin> peer;
    return pin && pin->ConnectedTo(&peer) == S_OK;
}

// The filter's first pin of that direction (the platform's filters name theirs differently).
ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION wanted)
{
    ComPtr<IEnumPins> pins;
    filter->EnumPins(&pins);
    for (ComPtr<IPin> pin; pins && pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK;) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted)
            return pin;
    }
    return nullptr;
}

// "~" pin -> Sample Grabber -> Null Renderer, connected explicitly.
HRESULT ConnectToGrabber(IGraphBuilder* graph, IPin* pin, PlaybackCollector& collector, const wchar_t* name)
{
    ComPtr<IBaseFilter> grabberFilter, renderer;
    ComPtr<ISampleGrabber> grabber;
    HRESULT hr = CoCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&grabberFilter));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(kClsidNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer));
    if (SUCCEEDED(hr))
        hr = grabberFilter.As(&grabber);
    if (SUCCEEDED(hr))
        hr = graph->AddFilter(grabberFilter.Get(), name);
    if (SUCCEEDED(hr))
        hr = graph->AddFilter(renderer.Get(), (std::wstring(name) + L" Sink").c_str());
    if (SUCCEEDED(hr))
        hr = grabber->SetCallback(&collector, 0);
    if (SUCCEEDED(hr))
        hr = graph->ConnectDirect(pin, FirstPin(grabberFilter.Get(), PINDIR_INPUT).Get(), nullptr);
    if (SUCCEEDED(hr))
        hr = graph->Connect(FirstPin(grabberFilter.Get(), PINDIR_OUTPUT).Get(),
                            FirstPin(renderer.Get(), PINDIR_INPUT).Get());
    return hr;
}

struct Position {
    DWORD current = 0, total = 0;
};

Position PositionOf(IMuxTimeShift* timeShift)
{
    Position p;
    EXPECT_EQ(S_OK, timeShift->GetPosition(&p.current, &p.total));
    EXPECT_LE(p.current, p.total);
    return p;
}

// Index of the written chunk with this hash, or -1.
long WrittenIndex(const WrittenStreams& written, uint64_t hash)
{
    const auto it = std::find(written.videoHashes.begin(), written.videoHashes.end(), hash);
    return it == written.videoHashes.end() ? -1 : static_cast<long>(it - written.videoHashes.begin());
}

class TimeShiftPlayback : public ::testing::TestWithParam<trelvox::MuxMode> {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
    void TearDown() override
    {
        timeShift_.Reset();
        config_.Reset();
        mux_.Reset();
        g_.reset();  // the grabbers hold the collectors
        video_.reset();
        audio_.reset();
        CoUninitialize();
    }

    // The card's capture pins into the multiplexer (mode GetParam(), 10 MB files), by graph
    // building; "~Video" and "~Audio" each to a grabber that collects into video_ and audio_.
    void BuildRecording(const Picture& picture, const std::wstring& base)
    {
        video_ = std::make_unique<PlaybackCollector>(true, picture);
        audio_ = std::make_unique<PlaybackCollector>(false, picture);
        DeleteRecording(base);
        control_.Text(L"Input", picture.input);
        Sleep(100);
        g_ = std::make_unique<CaptureGraph>();
        CaptureGraph& g = *g_;
        ASSERT_TRUE(g.graph && g.capture && g.control);
        ASSERT_HRESULT_SUCCEEDED(
            SelectFormat(g.capture.Get(), L"Video Capture", picture.width, picture.height, kFrame));
        ASSERT_EQ(S_OK, BindMuxByMoniker(&mux_));
        ComPtr<IFileSinkFilter> sink;
        ASSERT_HRESULT_SUCCEEDED(mux_.As(&sink));
        ASSERT_HRESULT_SUCCEEDED(mux_.As(&config_));
        ASSERT_HRESULT_SUCCEEDED(mux_.As(&timeShift_));
        ASSERT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr));
        ASSERT_EQ(S_OK, config_->SetMuxMode(static_cast<DWORD>(GetParam())));
        ASSERT_EQ(S_OK, config_->SetMaxFileSize(10));
        ASSERT_HRESULT_SUCCEEDED(g.Add(mux_.Get(), L"Pelkor AVI Mux"));

        // Graph building connects the inputs and leaves the "~" pins alone.
        ASSERT_HRESULT_SUCCEEDED(
            g.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, g.capture.Get(), nullptr, mux_.Get()));
        ASSERT_HRESULT_SUCCEEDED(
            g.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, g.capture.Get(), nullptr, mux_.Get()));
        ASSERT_TRUE(Connected(PinByName(mux_.Get(), L"Video").Get()));
        ASSERT_TRUE(Connected(PinByName(mux_.Get(), L"Audio").Get()));
        EXPECT_FALSE(Connected(PinByName(mux_.Get(), L"~Video").Get()));
        EXPECT_FALSE(Connected(PinByName(mux_.Get(), L"~Audio").Get()));

        ASSERT_HRESULT_SUCCEEDED(
            ConnectToGrabber(g.graph.Get(), PinByName(mux_.Get(), L"~Video").Get(), *video_, L"~V"));
        ASSERT_HRESULT_SUCCEEDED(
            ConnectToGrabber(g.graph.Get(), PinByName(mux_.Get(), L"~Audio").Get(), *audio_, L"~A"));
    }

    // The finished recording, after the graph has stopped: as many frames as the mux counted.
    void ReadRecording(const Picture& picture, const std::wstring& base, WrittenStreams& written, DWORD& frames)
    {
        DWORD buffers = 0, dropped = 0, blocks = 0;
        ASSERT_EQ(S_OK, config_->GetCounts(&frames, &buffers, &dropped, &blocks));
        if (GetParam() == trelvox::MuxMode::Avi1FileSet) {
            ASSERT_TRUE(FileExists(NumberedFile(base, 0)));
            for (int i = 0; i < 40 && FileExists(NumberedFile(base, i)); ++i)
                ReadAviFile(NumberedFile(base, i), i == 0, picture, written);
        } else {
            ReadAviFile(base + L".avi", true, picture, written);
        }
        EXPECT_EQ(frames, written.videoHashes.size());
    }

    // Every played sound run is the written sound from some block on; the bytes found.
    static size_t CheckPlayedAudio(PlaybackCollector& audio, const WrittenStreams& written)
    {
        size_t checked = 0;
        for (const std::vector<BYTE>& run : audio.Runs()) {
            EXPECT_GE(run.size(), 64u);
            bool found = false;
            for (size_t at = 0; !found && at + run.size() <= written.audio.size(); at += 4)
                found = std::equal(run.begin(), run.end(), written.audio.begin() + static_cast<long>(at));
            EXPECT_TRUE(found) << "played audio not found in the files (" << run.size() << " bytes)";
            checked += found ? run.size() : 0;
        }
        return checked;
    }

    SimControl control_;
    std::unique_ptr<PlaybackCollector> video_, audio_;
    std::unique_ptr<CaptureGraph> g_;
    ComPtr<IBaseFilter> mux_;
    ComPtr<IMuxConfig> config_;
    ComPtr<IMuxTimeShift> timeShift_;
};

TEST_P(TimeShiftPlayback, PlaysBackWhatIsWrittenWhileTheCardRecords)
{
    const bool fileSet = GetParam() == trelvox::MuxMode::Avi1FileSet;
    // Mode 0 moves on to a new file every 9 MiB; in mode 1 the picture is large enough for
    // the file to pass 1 GiB, where its second RIFF begins, after about 8.6 s.
    const Picture picture = fileSet ? Picture{L"480i", 720, 480} : Picture{L"1080i", 1920, 1080};
    const std::wstring base = RecordingPath(fileSet ? L"tsplay0_" : L"tsplay1_");
    ASSERT_NO_FATAL_FAILURE(BuildRecording(picture, base));
    PlaybackCollector& video = *video_;
    PlaybackCollector& audio = *audio_;
    CaptureGraph& g = *g_;
    IMuxTimeShift* timeShift = timeShift_.Get();

    ASSERT_HRESULT_SUCCEEDED(g.control->Run());
    Sleep(4000);
    const Position recorded = PositionOf(timeShift);
    EXPECT_GE(recorded.total, 3u);
    EXPECT_LE(recorded.total, 6u);
    EXPECT_EQ(0u, recorded.current);
    EXPECT_EQ(0u, video.Count()) << "nothing before Play";

    // From the start of the recording, at normal speed.
    ASSERT_EQ(S_OK, timeShift->Play(100));
    Sleep(1500);
    const Position playing = PositionOf(timeShift);
    EXPECT_GE(playing.current, 1u);
    EXPECT_LE(playing.current, 2u);
    EXPECT_GE(video.Count(), 15u) << "about 45 frames in 1.5 s";
    EXPECT_GE(audio.Count(), 1u);

    const size_t beforeSeek = video.Count();
    ASSERT_EQ(S_OK, timeShift->Seek(3));
    Sleep(1000);
    EXPECT_GE(PositionOf(timeShift).current, 3u);

    ASSERT_EQ(S_OK, timeShift->Pause());
    Sleep(300);
    const size_t paused = video.Count();
    const Position pausedAt = PositionOf(timeShift);
    Sleep(700);
    EXPECT_EQ(paused, video.Count()) << "Pause stops delivery";
    EXPECT_EQ(pausedAt.current, PositionOf(timeShift).current);

    // Twice as fast from 1 s, well behind the live point.
    ASSERT_EQ(S_OK, timeShift->Seek(1));
    ASSERT_EQ(S_OK, timeShift->Play(200));
    const Position fastFrom = PositionOf(timeShift);
    const size_t fastFirst = video.Count();
    Sleep(2000);
    const Position fastTo = PositionOf(timeShift);
    const size_t fastLast = video.Count();
    EXPECT_GE(fastTo.current - fastFrom.current, 3u) << "2 s at 200 % is 4 s of the recording";
    EXPECT_LE(fastTo.current - fastFrom.current, 5u);

    // Past the second RIFF of the OpenDML file: from 10 s once 11 s are recorded.
    size_t lateFirst = 0, lateLast = 0;
    if (!fileSet) {
        ASSERT_EQ(S_OK, timeShift->Pause());
        for (int i = 0; i < 100 && PositionOf(timeShift).total < 11; ++i)
            Sleep(100);
        ASSERT_EQ(S_OK, timeShift->Seek(10));
        lateFirst = video.Count();
        ASSERT_EQ(S_OK, timeShift->Play(100));
        Sleep(1000);
        ASSERT_EQ(S_OK, timeShift->Pause());
        lateLast = video.Count();
    }
    ASSERT_EQ(S_OK, timeShift->Stop());
    Sleep(1000);  // the recording goes on
    ASSERT_HRESULT_SUCCEEDED(g.control->Stop());

    WrittenStreams written;
    DWORD frames = 0;
    ASSERT_NO_FATAL_FAILURE(ReadRecording(picture, base, written, frames));
    // For the independent readers of check_recordings.py.
    std::ofstream(std::filesystem::path(base + L"frames.txt")) << frames << "\n";
    if (fileSet)
        ASSERT_TRUE(FileExists(NumberedFile(base, 1))) << "the recording spans several files";
    else
        ASSERT_FALSE(written.riffStarts.empty()) << "the file has a second RIFF";

    // Every frame played back is the frame written with its number, in a written chunk.
    const std::vector<PlaybackCollector::Frame> played = video.Frames();
    ASSERT_FALSE(played.empty());
    size_t checked = 0;
    for (const auto& f : played) {
        EXPECT_EQ(picture.Bytes(), f.length);
        EXPECT_NE(-1, WrittenIndex(written, f.hash)) << "a frame that is not in the files";
        if (f.number && written.hashByNumber.count(*f.number)) {
            EXPECT_EQ(written.hashByNumber.at(*f.number), f.hash) << "frame " << *f.number;
            ++checked;
        }
    }
    EXPECT_EQ(played.size(), checked) << "every frame played carries its card frame number";

    // The first frame after Seek(3) is the one written at 3 s.
    ASSERT_LT(beforeSeek, played.size());
    auto seekFrame = std::find_if(played.begin() + static_cast<long>(beforeSeek), played.end(),
                                  [](const auto& f) { return f.discontinuity; });
    ASSERT_NE(played.end(), seekFrame);
    const long expected = static_cast<long>(30000000 / kFrame) - static_cast<long>(written.videoStart);
    const long seekIndex = WrittenIndex(written, seekFrame->hash);
    EXPECT_GE(seekIndex, expected - 1);
    EXPECT_LE(seekIndex, expected + 2);

    // At 200 % the frames played in 2 s span about 4 s of the recording, forwards only.
    ASSERT_LT(fastFirst + 10, std::min(fastLast, played.size()));
    long previous = WrittenIndex(written, played[fastFirst].hash);
    const long fastStart = previous;
    for (size_t i = fastFirst + 1; i < fastLast && i < played.size(); ++i) {
        const long index = WrittenIndex(written, played[i].hash);
        EXPECT_GT(index, previous) << "played frame " << i;
        previous = index;
    }
    const long span = previous - fastStart;
    EXPECT_GE(span, 90) << "4 s are about 120 frames";
    EXPECT_LE(span, 135);

    // From 10 s of the OpenDML file: frames of its second RIFF, checked above like all others.
    if (!fileSet) {
        ASSERT_LT(lateFirst + 10, std::min(lateLast, played.size())) << "about 30 frames in 1 s";
        for (size_t i = lateFirst; i < lateLast; ++i) {
            EXPECT_GE(WrittenIndex(written, played[i].hash), static_cast<long>(written.riffStarts.front()))
                << "played frame " << i;
        }
    }

    // Audio: each run from a repositioning on is the written sound from some block on.
    EXPECT_GT(CheckPlayedAudio(audio, written), 192000u) << "more than a second of sound played back";
}

// Play right after Run comes before the run's start time, and from the start of the
// recording playback asks for each sample of the card about when it arrives, before it is
// written: it keeps right behind the card instead of delivering nothing all along.
TEST_P(TimeShiftPlayback, PlaysRightBehindTheCardFromRunOn)
{
    const Picture picture{L"480i", 720, 480};
    const std::wstring base = RecordingPath(GetParam() == trelvox::MuxMode::Avi1FileSet ? L"tslive0_" : L"tslive1_");
    ASSERT_NO_FATAL_FAILURE(BuildRecording(picture, base));
    PlaybackCollector& video = *video_;
    PlaybackCollector& audio = *audio_;

    ASSERT_HRESULT_SUCCEEDED(g_->control->Run());
    ASSERT_EQ(S_OK, timeShift_->Play(100));
    Sleep(3000);
    const size_t played = video.Count();
    const Position position = PositionOf(timeShift_.Get());
    ASSERT_HRESULT_SUCCEEDED(g_->control->Stop());
    EXPECT_GE(played, 45u) << "about 90 frames in 3 s";
    EXPECT_GE(position.current + 1, position.total) << "playback keeps to the live point";

    WrittenStreams written;
    DWORD frames = 0;
    ASSERT_NO_FATAL_FAILURE(ReadRecording(picture, base, written, frames));
    // Written frames, each once, in recording order.
    long previous = -1;
    for (const PlaybackCollector::Frame& f : video.Frames()) {
        const long index = WrittenIndex(written, f.hash);
        EXPECT_GT(index, previous) << "a frame not in the files, or out of order";
        previous = index;
    }
    EXPECT_GT(CheckPlayedAudio(audio, written), 192000u) << "more than a second of sound played back";
    DeleteRecording(base);
}

INSTANTIATE_TEST_SUITE_P(MuxModes, TimeShiftPlayback,
                         ::testing::Values(trelvox::MuxMode::Avi1FileSet, trelvox::MuxMode::OpenDml));

}  // namespace
