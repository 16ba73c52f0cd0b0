#include "MemoryBenchTargets.h"

#include "Avi1FileSet.h"
#include "Avi1Writer.h"
#include "Avi2Writer.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"

namespace trelvox::bench {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int64_t kFrameDuration = 333667;

MuxInputs Inputs(bool audio)
{
    MuxInputs inputs;
    inputs.video = test::MakeVideo(kWidth, kHeight, test::kYuy2, kFrameDuration);
    if (audio)
        inputs.audio = test::MakeAudio();
    return inputs;
}

class RecorderTarget : public BenchTarget {
public:
    RecorderTarget(MuxFileSystem& fs, const TargetSetup& setup)
        : recorder_(fs, events_, setup.ownThread ? WriterThreading::OwnThread : WriterThreading::Inline)
    {
        setup_.settings.muxMode = setup.muxMode;
        setup_.settings.maxFiles = setup.maxFiles;
        setup_.fileName = "bench";
        setup_.inputs = Inputs(setup.audio);
    }
    HResult Prepare() override { return recorder_.Prepare(setup_); }
    HResult Video(const std::vector<uint8_t>& picture, int64_t start) override
    {
        return Checked(recorder_.ReceiveVideo(test::TimedSample(picture, start)));
    }
    HResult Audio(const std::vector<uint8_t>& sound, int64_t start) override
    {
        return Checked(recorder_.ReceiveAudio(test::TimedSample(sound, start, false)));
    }
    void Stop() override
    {
        recorder_.EndOfStream(StreamKind::Video);
        recorder_.EndOfStream(StreamKind::Audio);
        recorder_.Stop();
    }

private:
    // Any event before the end means the recording stopped (files full or a failure).
    HResult Checked(HResult hr) { return hr == kS_OK && !events_.Events().empty() ? kE_FAIL : hr; }

    test::EventLog events_;
    MuxRunSetup setup_;
    MuxRecorder recorder_;
};

// The writers as MuxRecorder drives them, less the playback index and the queue.
class WriterTarget : public BenchTarget {
public:
    WriterTarget(MuxFileSystem& fs, const TargetSetup& setup) : fs_(fs), setup_(setup), inputs_(Inputs(setup.audio))
    {
        settings_.maxFiles = setup.maxFiles;
        run_.frameDuration = kFrameDuration;
        run_.sectorSize = kSectorSize;
    }
    HResult Prepare() override
    {
        if (setup_.muxMode == MuxMode::OpenDml) {
            Avi2Layout layout;
            layout.sectorSize = kSectorSize;
            layout.inputs = inputs_;
            layout.run = run_;
            return avi2_.Create(fs_, "bench.avi", CreateMode::CreateAlways, layout);
        }
        Avi1SetLayout layout;
        layout.sectorSize = kSectorSize;
        layout.headerSize = AviHeaderSize(inputs_, kSectorSize);
        layout.inputs = inputs_;
        layout.run = run_;
        const HResult hr = files_.Create(fs_, "bench", settings_.maxFiles, CreateMode::CreateAlways, layout);
        if (Succeeded(hr)) {
            avi1_ = std::make_unique<Avi1Writer>(files_, settings_, inputs_, [] { return StreamStarts{0, 0}; });
        }
        return hr;
    }
    HResult Video(const std::vector<uint8_t>& picture, int64_t) override
    {
        return Write(StreamKind::Video, picture, true);
    }
    HResult Audio(const std::vector<uint8_t>& sound, int64_t) override
    {
        return Write(StreamKind::Audio, sound, false);
    }
    void Stop() override
    {
        if (setup_.muxMode == MuxMode::OpenDml) {
            avi2_.Finish(inputs_, run_, 0, 0);
            avi2_.Close();
        } else {
            files_.Finish(inputs_, run_, 0, 0);
            avi1_.reset();
            files_.Release();
        }
    }

private:
    static constexpr uint32_t kSectorSize = 512;

    HResult Write(StreamKind stream, const std::vector<uint8_t>& data, bool sync)
    {
        RecordPtr record = MakeSampleRecord(data.data(), static_cast<uint32_t>(data.size()), sync, *buffers_);
        if (!record)
            return kE_OUTOFMEMORY;
        if (setup_.muxMode == MuxMode::OpenDml)
            return avi2_.Write(stream, {record});
        return avi1_->Write(stream, {record}, false);
    }

    MuxFileSystem& fs_;
    const TargetSetup setup_;
    const MuxInputs inputs_;
    MuxSettings settings_;
    AviRunFigures run_;
    std::shared_ptr<SectorBufferPool> buffers_ = SectorBufferPool::Create(kSectorSize, 4);
    Avi1FileSet files_;
    std::unique_ptr<Avi1Writer> avi1_;
    Avi2Writer avi2_;
};

}  // namespace

std::unique_ptr<BenchTarget> MakeRecorderTarget(MuxFileSystem& fs, const TargetSetup& setup)
{
    return std::make_unique<RecorderTarget>(fs, setup);
}

std::unique_ptr<BenchTarget> MakeWriterTarget(MuxFileSystem& fs, const TargetSetup& setup)
{
    return std::make_unique<WriterTarget>(fs, setup);
}

}  // namespace trelvox::bench
