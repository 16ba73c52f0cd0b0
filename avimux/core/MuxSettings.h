// The multiplexer's settings block, in its persisted order.
#pragma once

#include <array>
#include <cstdint>

#include "AudioDelayProcessing.h"
#include "MuxMode.h"
#include "SplitMode.h"
#include "VideoDelayProcessing.h"

namespace trelvox {

struct MuxSettings {
    uint32_t maxFiles = 40;
    uint32_t maxFileSize = 0x7FF00000;  // bytes: (MB - 1) * 1 MiB
    uint32_t videoBufferCount = 40;
    uint32_t audioBufferCount = 5;  // kept and persisted only
    uint32_t splitCountVideo = 8991;
    uint32_t splitCountAudio = 600;
    double dropThreshold = 0.5;
    uint32_t maxWritesVideo = 1;
    uint32_t maxWritesSecond = 1;  // kept and persisted only
    uint32_t driftPrevention = 0;
    double driftThreshold = 1.0;
    uint32_t driftSensitivity = 50;
    int64_t driftStartTime = 0;
    MuxMode muxMode = MuxMode::Avi1FileSet;
    SplitMode splitMode = SplitMode::FileSize;
    VideoDelayProcessing videoDelayProcessing = VideoDelayProcessing::DelayTime;
    AudioDelayProcessing audioDelayProcessing = AudioDelayProcessing::DelayTime;
    uint32_t videoTimeProperty = 1;  // 0 none, 1 time stamp, 2 media time
    uint32_t audioTimeProperty = 1;
    uint32_t firstFrameNotDropped = 1;
    uint32_t forcedAudioSync = 0;
    uint32_t zeroFillJunk = 1;
    uint32_t measureVideoRate = 0;
    uint32_t measureAudioRate = 0;
    uint32_t rateMaster = 0;  // 0 none, 1 audio follows video, 2 video follows audio
    uint32_t discardNegativeVideo = 0;
    uint32_t discardNegativeAudio = 0;
    int64_t frameDurationOverride = 333667;
    uint32_t audioRateOverride = 48000;
    uint32_t frameDurationOverrideEnabled = 0;
    uint32_t audioRateOverrideEnabled = 0;
    uint32_t fileMode = 0;  // 1 = AM_FILE_OVERWRITE
    uint32_t timeShiftVideoTypeOverride = 0;
    uint32_t timeShiftAudioTypeOverride = 0;
    uint32_t fourccOverride = 0;
};

constexpr uint32_t kMuxSettingsBytes = 156;
constexpr uint32_t kMuxSettingsStreamBytes = 24 + kMuxSettingsBytes;

// Megabyte setting <-> held byte limit.
uint32_t MaxFileSizeFromMegabytes(uint32_t megabytes);
uint32_t MegabytesFromMaxFileSize(uint32_t bytes);

// The values a recording may rely on: counts at least 1, thresholds not negative,
// the file size within its range. Loaded blocks and IMuxConfig's setters go through this.
MuxSettings Bounded(const MuxSettings& settings);

// Persisted form: a 24-byte version field ("%011d " in UTF-16LE, value 0) and the block.
std::array<uint8_t, kMuxSettingsStreamBytes> SerializeMuxSettings(const MuxSettings& settings);
// Reads a persisted stream; false when it is too short. The result is bounded.
bool ParseMuxSettings(const uint8_t* bytes, uint32_t length, MuxSettings* settings);

}  // namespace trelvox
