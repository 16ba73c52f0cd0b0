// One time-shift pin's playback: where it stands and how it fills a sample from what
// has been recorded. The pin holds its own lock around every call.
#pragma once

#include <cstdint>
#include <optional>

#include "TimeShiftClock.h"
#include "TimeShiftSource.h"

namespace trelvox {

// What the recording knows that playback needs.
struct RecordingFigures {
    int64_t firstVideoTime = 0;
    int64_t firstAudioTime = 0;
    int64_t frameDuration = 0;  // T
    uint32_t avgBytesPerSec = 0;
    uint32_t blockAlign = 0;
};

// A filled sample: the data is in the caller's buffer.
struct FilledSample {
    uint32_t length = 0;
    bool sync = false;
    bool discontinuity = false;
    bool hasTime = false;  // audio only
    int64_t start = 0;
    int64_t stop = 0;
};

class TimeShiftCursor {
public:
    // Play and Seek: playback restarts at `start` from recording time `position`;
    // a rate of 0 keeps the current one.
    void Reposition(int64_t start, int64_t position, uint32_t rate);
    // Stop and Pause: the position is kept for the next Play.
    void KeepPosition(int64_t position) { anchor_.position = position; }
    const PlaybackAnchor& Anchor() const { return anchor_; }

    // The frame due at `now`, once per frame, never an earlier one; nothing before the
    // first frame, for a null frame or one larger than `capacity`. A frame not written yet:
    // nothing past the live point, behind it the newest written frame.
    std::optional<FilledSample> FillVideo(TimeShiftSource& source, const RecordingFigures& figures, int64_t now,
                                          uint8_t* out, uint32_t capacity);
    // The audio chunks one after the other from the playback position (behind the live
    // point and not written yet: from the newest written chunk), at normal rate only.
    std::optional<FilledSample> FillAudio(TimeShiftSource& source, const RecordingFigures& figures, int64_t now,
                                          uint8_t* out, uint32_t capacity);

private:
    std::optional<FilledSample> StartAudio(TimeShiftSource& source, const RecordingFigures& figures, int64_t now,
                                           uint8_t* out, uint32_t capacity);
    std::optional<FilledSample> AudioSample(const ChunkRead& read, const RecordingFigures& figures);
    // The sample of a chunk read; the first after a repositioning is a discontinuity.
    FilledSample Sample(const ChunkRead& read);

    PlaybackAnchor anchor_;
    int64_t last_ = -1;  // the last video entry delivered
    bool discontinuity_ = false;
    bool repositionPending_ = false;
    uint64_t audioEntry_ = 0;  // the running audio entry
    int64_t timeBase_ = 0;
};

// MuxFilter's playback state.
enum class PlaybackState { Stopped = 0, Paused = 1, Playing = 2 };

// The position kept by Play and Stop: the current one while playing, else the stored one.
int64_t HeldPosition(PlaybackState state, const PlaybackAnchor& anchor, int64_t now);
// The position kept by Pause: the live point when stopped.
int64_t PausePosition(PlaybackState state, const PlaybackAnchor& anchor, int64_t now);

}  // namespace trelvox
