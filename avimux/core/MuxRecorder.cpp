#include "MuxRecorder.h"

#include <algorithm>
#include <new>

#include "FileNaming.h"
#include "WorkingFormats.h"

namespace trelvox {

MuxRecorder::MuxRecorder(MuxFileSystem& fileSystem, MuxEventSink& events, WriterThreading threading,
                         ThreadStarter starter)
    : fs_(fileSystem),
      events_(events),
      threading_(threading),
      writer_(events, prepared_, std::move(starter))
{
}

MuxRecorder::~MuxRecorder()
{
    Release(RecordingEnding::Keep);
}

HResult MuxRecorder::Prepare(const MuxRunSetup& setup)
{
    try {
        return PrepareRun(setup);
    } catch (const std::bad_alloc&) {
        Release(RecordingEnding::Discard);
        return kE_OUTOFMEMORY;
    }
}

HResult MuxRecorder::ReceiveVideo(const MuxSample& sample)
{
    try {
        return QueueVideo(sample);
    } catch (const std::bad_alloc&) {
        return EndRecording(kE_OUTOFMEMORY);
    }
}

HResult MuxRecorder::ReceiveAudio(const MuxSample& sample)
{
    try {
        return QueueAudio(sample);
    } catch (const std::bad_alloc&) {
        return EndRecording(kE_OUTOFMEMORY);
    }
}

HResult MuxRecorder::PrepareRun(const MuxRunSetup& setup)
{
    Release(RecordingEnding::Keep);
    settings_ = Bounded(setup.settings);
    inputs_ = setup.inputs;
    videoDurationPending_ = false;
    durationFromSamples_.Reset();
    // Protected, nothing is recorded and the statistics of the last run stay.
    if (!setup.protect) {
        const HResult hr = PrepareFiles(setup);
        if (Failed(hr))
            return hr;
        ResetTiming();
    }
    videoEnded_ = !inputs_.video;
    audioEnded_ = !inputs_.audio;

    WriterConfig config;
    config.maxVideoWrites = settings_.maxWritesVideo;
    const SplitRule videoSplit = VideoSplitRule(settings_.splitMode);
    if (layout_ && layout_->SplitsByCount() && videoSplit != SplitRule::None) {
        config.videoSplit = SplitCounter(videoSplit, settings_.splitCountVideo);
        config.audioSplit = SplitCounter(SplitRule::Frames, settings_.splitCountAudio);
    }
    MuxFileLayout* layout = layout_.get();
    std::mutex* fileLock = &playback_.FileLock();
    const HResult started = writer_.Start(
        threading_, config,
        [layout, fileLock](StreamKind stream, std::vector<RecordPtr> records, bool split) {
            // Playback reads back under the same lock.
            std::lock_guard<std::mutex> lock(*fileLock);
            return layout ? layout->Write(stream, std::move(records), split) : kS_OK;
        },
        videoEnded_, audioEnded_);
    if (Failed(started)) {
        Release(RecordingEnding::Discard);
        return started;
    }
    prepared_ = layout_ != nullptr;
    return kS_OK;
}

void MuxRecorder::ResetTiming()
{
    TimingFormat format;
    if (inputs_.video)
        format.frameDuration = inputs_.video->frameDuration;
    if (inputs_.audio) {
        format.avgBytesPerSec = inputs_.audio->AvgBytesPerSec();
        format.samplesPerSec = inputs_.audio->SamplesPerSec();
        format.blockAlign = inputs_.audio->BlockAlign();
    }
    std::lock_guard<std::mutex> lock(timingMutex_);
    timing_.Reset(settings_, format);
}

HResult MuxRecorder::PrepareFiles(const MuxRunSetup& setup)
{
    if (setup.fileName.empty())
        return HResultFromWin32(kErrorInvalidName);
    if (!IsKnownMuxMode(settings_.muxMode))
        return kE_INVALIDARG;
    HResult hr = ApplyOverrides(settings_, inputs_);
    if (Failed(hr))
        return hr;
    videoDurationPending_ = inputs_.video && inputs_.video->frameDuration == 0;
    uint32_t sector = 0;
    hr = fs_.SectorSize(VolumeRoot(setup.fileName), &sector);
    if (Failed(hr))
        return hr;
    sectorSize_ = std::max<uint32_t>(sector, 8);
    playback_.Open(sectorSize_, inputs_.video.has_value(), inputs_.audio.has_value());

    LayoutSetup layout;
    layout.baseName = setup.fileName;
    layout.mode = settings_.fileMode == 1 ? CreateMode::CreateAlways : CreateMode::OpenAlways;
    layout.settings = settings_;
    layout.inputs = inputs_;
    layout.run = PreparedRunFigures();
    layout.playbackIndex = playback_.Indexes();
    hr = CreateFileLayout(
        fs_, layout, [this] { return StreamStartTimes(); }, &layout_);
    if (Succeeded(hr))
        CreateBufferPools();
    return hr;
}

// At most enough idle video buffers to refill a full queue (the pool frees those a
// steady stream stops needing); audio buffers are small and come about as often as frames.
void MuxRecorder::CreateBufferPools()
{
    constexpr size_t kIdleAudioBuffers = 64;
    const size_t videoIdle = static_cast<size_t>(settings_.videoBufferCount) + settings_.maxWritesVideo + 1;
    videoBuffers_ = SectorBufferPool::Create(sectorSize_, videoIdle);
    audioBuffers_ = SectorBufferPool::Create(sectorSize_, kIdleAudioBuffers);
}

AviRunFigures MuxRecorder::PreparedRunFigures() const
{
    AviRunFigures run;
    run.frameDuration = inputs_.video ? inputs_.video->frameDuration : 0;
    run.sectorSize = sectorSize_;
    run.fourccOverride = settings_.fourccOverride;
    return run;
}

// Where each stream's first chunk plays, as the first file's dwStart values will say.
StreamStarts MuxRecorder::StreamStartTimes() const
{
    std::lock_guard<std::mutex> lock(timingMutex_);
    return PlannedStarts(inputs_, settings_, timing_.Measurements(), timing_.VideoStarted(), timing_.AudioStarted());
}

HResult MuxRecorder::EndRecording(HResult failure)
{
    prepared_ = false;
    writer_.ReleaseWaiters();
    events_.Notify(kEcErrorAbort, failure, 0);
    return failure;
}

HResult MuxRecorder::QueueVideo(const MuxSample& sample)
{
    std::lock_guard<std::mutex> receive(videoReceive_);
    if (videoEnded_)
        return kS_OK;
    if (!prepared_ || !videoDurationPending_)
        return QueueTimedVideo(sample);
    switch (durationFromSamples_.Take(sample)) {
    case SampleFrameDuration::Outcome::Held:
    case SampleFrameDuration::Outcome::Ignored:
        return kS_OK;
    case SampleFrameDuration::Outcome::Failed:
        durationFromSamples_.Reset();
        return EndRecording(kVFW_E_SAMPLE_TIME_NOT_SET);
    case SampleFrameDuration::Outcome::Learnt:
        break;
    }
    HResult hr = UseFrameDuration(durationFromSamples_.FrameDuration());
    if (Failed(hr))
        return EndRecording(hr);
    if (const MuxSample* held = durationFromSamples_.Held())
        hr = QueueTimedVideo(*held);
    durationFromSamples_.Reset();
    return Failed(hr) ? hr : QueueTimedVideo(sample);
}

// The open files' provisional headers, every later header, the timing and the playback
// take the frame duration learnt from the samples. Nothing of the video is written yet.
HResult MuxRecorder::UseFrameDuration(int64_t frameDuration)
{
    videoDurationPending_ = false;
    std::lock_guard<std::mutex> files(playback_.FileLock());
    const HResult hr = layout_ ? layout_->SetFrameDuration(frameDuration) : kS_OK;
    std::lock_guard<std::mutex> lock(timingMutex_);
    inputs_.video->frameDuration = frameDuration;
    timing_.SetFrameDuration(frameDuration);
    return hr;
}

HResult MuxRecorder::QueueTimedVideo(const MuxSample& sample)
{
    if (!prepared_)
        return kS_OK;
    VideoPlan plan;
    {
        std::lock_guard<std::mutex> lock(timingMutex_);
        plan = timing_.PlanVideo(sample);
    }
    if (Failed(plan.failure))
        return EndRecording(plan.failure);
    if (plan.ignore)
        return kS_OK;

    std::vector<RecordPtr> records;
    auto copy = [&] { return MakeSampleRecord(sample.data, sample.length, sample.syncPoint, *videoBuffers_); };
    if (plan.fullCopyFirst)
        records.push_back(copy());
    if (plan.nullFrames > 0)
        records.push_back(MakeNullRun(plan.nullFrames));
    if (plan.queueSample)
        records.push_back(copy());
    if (std::find(records.begin(), records.end(), nullptr) != records.end()) {
        return EndRecording(kE_OUTOFMEMORY);
    }
    if (records.empty())
        return kS_OK;
    if (plan.queueSample)
        writer_.WaitForVideoRoom(settings_.videoBufferCount);
    writer_.QueueVideo(std::move(records));
    return kS_OK;
}

HResult MuxRecorder::QueueAudio(const MuxSample& sample)
{
    std::lock_guard<std::mutex> receive(audioReceive_);
    if (!prepared_ || audioEnded_)
        return kS_OK;
    AudioPlan plan;
    {
        std::lock_guard<std::mutex> lock(timingMutex_);
        plan = timing_.PlanAudio(sample);
    }
    if (Failed(plan.failure))
        return EndRecording(plan.failure);
    if (plan.ignore)
        return kS_OK;

    // Silence before a late first sample can be hundreds of megabytes: it goes to the
    // writer in groups, each once the writer has taken the one before.
    constexpr uint32_t kSilenceGroupBytes = 4u << 20;
    for (uint32_t left = plan.silenceBytes; left > 0 && prepared_;) {
        std::vector<RecordPtr> group;
        for (uint32_t grouped = 0; left > 0 && grouped < kSilenceGroupBytes;) {
            const uint32_t piece = std::min(left, plan.length);
            RecordPtr silence = MakeSilenceRecord(piece, *audioBuffers_);
            if (!silence)
                return EndRecording(kE_OUTOFMEMORY);
            group.push_back(std::move(silence));
            left -= piece;
            grouped += piece;
        }
        writer_.QueueAudio(std::move(group));
        writer_.WaitForAudioTaken();
    }
    if (!prepared_)
        return kS_OK;
    RecordPtr record = MakeSampleRecord(sample.data, plan.length, plan.sync, *audioBuffers_);
    if (!record)
        return EndRecording(kE_OUTOFMEMORY);
    writer_.QueueAudio({std::move(record)});
    return kS_OK;
}

void MuxRecorder::EndOfStream(StreamKind stream)
{
    {
        std::lock_guard<std::mutex> receive(stream == StreamKind::Video ? videoReceive_ : audioReceive_);
        (stream == StreamKind::Video ? videoEnded_ : audioEnded_) = true;
        // A lone first picture without a stop time leaves the stream untimed.
        if (stream == StreamKind::Video && prepared_ && durationFromSamples_.Held()) {
            durationFromSamples_.Reset();
            EndRecording(kVFW_E_SAMPLE_TIME_NOT_SET);
        }
    }
    writer_.EndOfStream(stream);
}

MuxStatistics MuxRecorder::Statistics() const
{
    std::lock_guard<std::mutex> lock(timingMutex_);
    return timing_.Statistics();
}

void MuxRecorder::FinishFiles()
{
    RunTotals totals;
    {
        std::lock_guard<std::mutex> lock(timingMutex_);
        totals.measured = timing_.Measurements();
        totals.maxVideoSample = timing_.MaxVideoSample();
        totals.maxAudioSample = timing_.MaxAudioSample();
    }
    // A failure here leaves the file (or the later files) unfinished; stopping still succeeds.
    layout_->Finish(PlanFinish(inputs_, settings_, sectorSize_, totals));
}

void MuxRecorder::Release(RecordingEnding ending)
{
    std::lock_guard<std::mutex> video(videoReceive_);
    std::lock_guard<std::mutex> audio(audioReceive_);
    writer_.Stop();
    playback_.Close();
    if (layout_) {
        ending = FinalEnding(ending, videoDurationPending_, NothingQueued());
        if (ending == RecordingEnding::Finish) {
            try {
                FinishFiles();
            } catch (const std::bad_alloc&) {
                // Closed unfinished: what was written stays readable by its provisional header.
            }
        }
        layout_->Close(ending);
    }
    layout_.reset();
    prepared_ = false;
    videoBuffers_.reset();
    audioBuffers_.reset();
}

bool MuxRecorder::NothingQueued() const
{
    const MuxStatistics s = Statistics();
    return s.videoFrames == 0 && s.audioBuffers == 0;
}

void MuxRecorder::Stop()
{
    Release(RecordingEnding::Finish);
}

void MuxRecorder::Discard()
{
    Release(RecordingEnding::Discard);
}

RecordingFigures MuxRecorder::PlaybackFigures() const
{
    RecordingFigures figures;
    if (inputs_.audio) {
        figures.avgBytesPerSec = inputs_.audio->AvgBytesPerSec();
        figures.blockAlign = inputs_.audio->BlockAlign();
    }
    std::lock_guard<std::mutex> lock(timingMutex_);
    // Under the lock: a frame duration learnt from the samples arrives meanwhile.
    if (inputs_.video)
        figures.frameDuration = inputs_.video->frameDuration;
    figures.firstVideoTime = timing_.FirstVideoTime();
    figures.firstAudioTime = timing_.FirstAudioTime();
    return figures;
}

std::optional<FilledSample> MuxRecorder::FillVideo(TimeShiftCursor& cursor, int64_t now, uint8_t* out,
                                                   uint32_t capacity)
{
    if (!prepared_)
        return std::nullopt;
    return cursor.FillVideo(playback_, PlaybackFigures(), now, out, capacity);
}

std::optional<FilledSample> MuxRecorder::FillAudio(TimeShiftCursor& cursor, int64_t now, uint8_t* out,
                                                   uint32_t capacity)
{
    if (!prepared_)
        return std::nullopt;
    return cursor.FillAudio(playback_, PlaybackFigures(), now, out, capacity);
}

}  // namespace trelvox
