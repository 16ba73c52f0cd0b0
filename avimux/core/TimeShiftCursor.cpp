#include "TimeShiftCursor.h"

#include <algorithm>

namespace trelvox {

void TimeShiftCursor::Reposition(int64_t start, int64_t position, uint32_t rate)
{
    // Not before the run's start: what comes earlier is no playback time.
    anchor_.start = std::max<int64_t>(start, 0);
    anchor_.position = position;
    if (rate != 0)
        anchor_.rate = rate;
    last_ = -1;
    discontinuity_ = true;
    repositionPending_ = true;
}

std::optional<FilledSample> TimeShiftCursor::FillVideo(TimeShiftSource& source, const RecordingFigures& figures,
                                                       int64_t now, uint8_t* out, uint32_t capacity)
{
    const uint64_t written = source.VideoEntries();
    if (written == 0)
        return std::nullopt;
    int64_t frame = VideoFrameNumber(anchor_, now, figures.firstVideoTime, figures.frameDuration);
    // Behind the live point a frame not written yet is on its way: the newest written one.
    if (frame >= 0 && AtOrBehindLive(anchor_, now))
        frame = std::min(frame, static_cast<int64_t>(written) - 1);
    if (frame < 0 || frame <= last_)
        return std::nullopt;
    last_ = frame;
    const ChunkRead read = source.ReadVideo(static_cast<uint64_t>(frame), out, capacity);
    if (read.result != ChunkReadResult::Read)
        return std::nullopt;
    return Sample(read);
}

std::optional<FilledSample> TimeShiftCursor::FillAudio(TimeShiftSource& source, const RecordingFigures& figures,
                                                       int64_t now, uint8_t* out, uint32_t capacity)
{
    if (anchor_.rate != kNormalRate || source.AudioEntries() == 0)
        return std::nullopt;
    if (repositionPending_)
        return StartAudio(source, figures, now, out, capacity);
    const ChunkRead read = source.ReadAudio(audioEntry_ + 1, out, capacity);
    // Past the written entries the index waits for the next one.
    if (read.result == ChunkReadResult::NotWritten)
        return std::nullopt;
    audioEntry_ = read.number;
    return AudioSample(read, figures);
}

std::optional<FilledSample> TimeShiftCursor::StartAudio(TimeShiftSource& source, const RecordingFigures& figures,
                                                        int64_t now, uint8_t* out, uint32_t capacity)
{
    const int64_t block = AudioBlockNumber(UnlimitedPosition(anchor_, now), figures.firstAudioTime,
                                           figures.avgBytesPerSec, figures.blockAlign);
    if (block < 0)
        return std::nullopt;
    ChunkRead read = source.ReadAudioFromBlock(static_cast<uint64_t>(block), figures.blockAlign, out, capacity);
    // Behind the live point, as for video: from the newest written chunk on.
    const uint64_t written = source.AudioEntries();
    if (read.result == ChunkReadResult::NotWritten && AtOrBehindLive(anchor_, now) && written > 0)
        read = source.ReadAudio(written - 1, out, capacity);
    if (read.result == ChunkReadResult::NotWritten)
        return std::nullopt;
    repositionPending_ = false;
    audioEntry_ = read.number;
    timeBase_ = now;
    return AudioSample(read, figures);
}

FilledSample TimeShiftCursor::Sample(const ChunkRead& read)
{
    FilledSample sample;
    sample.length = read.length;
    sample.sync = read.sync;
    sample.discontinuity = discontinuity_;
    discontinuity_ = false;
    return sample;
}

std::optional<FilledSample> TimeShiftCursor::AudioSample(const ChunkRead& read, const RecordingFigures& figures)
{
    if (read.result != ChunkReadResult::Read)
        return std::nullopt;
    FilledSample sample = Sample(read);
    sample.hasTime = true;
    sample.start = timeBase_;
    sample.stop = timeBase_ + AudioDuration(read.length, figures.avgBytesPerSec);
    timeBase_ = sample.stop;
    return sample;
}

int64_t HeldPosition(PlaybackState state, const PlaybackAnchor& anchor, int64_t now)
{
    return state == PlaybackState::Playing ? CurrentPosition(anchor, now) : anchor.position;
}

int64_t PausePosition(PlaybackState state, const PlaybackAnchor& anchor, int64_t now)
{
    return state == PlaybackState::Stopped ? now : HeldPosition(state, anchor, now);
}

}  // namespace trelvox
