// One recording of the multiplexer, from preparation to the finished files. The filter
// shell calls Prepare from Pause (when stopped), Stop from Stop, ReceiveVideo/ReceiveAudio
// and EndOfStream from its input pins; everything it reports goes to the event sink
// (EC_COMPLETE, EC_ERRORABORT with the failure, kEcFilesFull with 1). A video format
// without a frame duration takes the first samples' (VFW_E_SAMPLE_TIME_NOT_SET when they
// tell none: the recording ends, and leaves no file when nothing was written). Receive locks,
// the queue and the writer thread are inside; the shell keeps its filter lock around
// Prepare and Stop. The files are the mux mode's MuxFileLayout; how they are finished is
// the FinishPlan's.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "FinishPlan.h"
#include "FrameDurationSource.h"
#include "MediaFormats.h"
#include "MuxFile.h"
#include "MuxFileLayout.h"
#include "MuxSettings.h"
#include "MuxTypes.h"
#include "MuxWriter.h"
#include "SampleTiming.h"
#include "SectorBufferPool.h"
#include "TimeShiftCursor.h"
#include "TimeShiftSource.h"

namespace trelvox {

struct MuxRunSetup {
    MuxSettings settings;
    std::string fileName;  // without extension, UTF-8; empty when none was set
    MuxInputs inputs;      // formats of the connected input pins
    bool protect = false;  // stream without recording anything
};

class MuxRecorder {
public:
    MuxRecorder(MuxFileSystem& fileSystem, MuxEventSink& events, WriterThreading threading = WriterThreading::OwnThread,
                ThreadStarter starter = {});
    // Without Stop the files are left as they are on disk (closed, not finished).
    ~MuxRecorder();

    // Pause from Stopped: creates the files and starts the writer. On failure nothing is
    // left behind and the result is the failure.
    HResult Prepare(const MuxRunSetup& setup);
    // Writes what is queued, finishes the files and deletes the unused ones. Out of
    // memory while finishing leaves the files unfinished but still closes them.
    void Stop();
    // Ends a prepared recording that never started: the files it made are deleted.
    void Discard();

    // Receive of the input pins. A failure has ended the recording (EC_ERRORABORT sent).
    HResult ReceiveVideo(const MuxSample& sample);
    HResult ReceiveAudio(const MuxSample& sample);
    void EndOfStream(StreamKind stream);

    bool IsPrepared() const { return prepared_; }
    MuxStatistics Statistics() const;

    // Playback of what has been written, from the time-shift pins' threads; nothing
    // while no recording is prepared.
    std::optional<FilledSample> FillVideo(TimeShiftCursor& cursor, int64_t now, uint8_t* out, uint32_t capacity);
    std::optional<FilledSample> FillAudio(TimeShiftCursor& cursor, int64_t now, uint8_t* out, uint32_t capacity);

private:
    HResult PrepareRun(const MuxRunSetup& setup);
    HResult QueueVideo(const MuxSample& sample);
    HResult QueueTimedVideo(const MuxSample& sample);
    HResult UseFrameDuration(int64_t frameDuration);
    HResult QueueAudio(const MuxSample& sample);
    HResult PrepareFiles(const MuxRunSetup& setup);
    void ResetTiming();
    StreamStarts StreamStartTimes() const;
    void CreateBufferPools();
    AviRunFigures PreparedRunFigures() const;
    HResult EndRecording(HResult failure);
    void FinishFiles();
    void Release(RecordingEnding ending);
    bool NothingQueued() const;
    RecordingFigures PlaybackFigures() const;

    MuxFileSystem& fs_;
    MuxEventSink& events_;
    const WriterThreading threading_;

    MuxSettings settings_;
    MuxInputs inputs_;
    uint32_t sectorSize_ = 0;
    std::atomic<bool> prepared_{false};
    std::shared_ptr<SectorBufferPool> videoBuffers_, audioBuffers_;  // while files are open

    // Locks, taken in this order. Each pin's Receive and EndOfStream run under its receive
    // lock, which guards that stream's ended flag (and, for video, the frame duration
    // learnt from the samples); Release takes both, so no sample is on its way while the
    // writer stops and the files close.
    std::mutex videoReceive_, audioReceive_;
    // playback_.FileLock(): the layout's files and the playback index, for each batch the
    // writer thread writes, a learnt frame duration, and every read of the playback pins.
    // timingMutex_: timing_ and the video frame duration in inputs_, read by the writer
    // thread (stream starts), the playback pins and Statistics.
    mutable std::mutex timingMutex_;
    SampleTiming timing_;
    bool videoEnded_ = true, audioEnded_ = true;
    // The video type had no frame duration: the first samples tell it (under videoReceive_).
    bool videoDurationPending_ = false;
    SampleFrameDuration durationFromSamples_;

    std::unique_ptr<MuxFileLayout> layout_;  // while the files are open
    MuxWriter writer_;                       // the writer thread and the queues, with their own locks
    TimeShiftSource playback_;
};

}  // namespace trelvox
