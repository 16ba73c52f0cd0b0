#include "MuxSettings.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"

namespace trelvox {
namespace {

constexpr uint32_t kMiB = 1048576;

uint32_t AtLeastOne(uint32_t v)
{
    return v == 0 ? 1 : v;
}
double NotNegative(double v)
{
    return v < 0 || v != v ? 0.0 : v;
}

void PutDouble(uint8_t* p, double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    PutU64(p, bits);
}
double GetDouble(const uint8_t* p)
{
    uint64_t bits = GetU64(p);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// An enum goes through the block as its number.
template <typename U32, typename Enum>
void EnumField(U32& u32, int at, Enum& field)
{
    uint32_t number = static_cast<uint32_t>(field);
    u32(at, number);
    field = static_cast<Enum>(number);
}

// One table drives both directions of the persisted block.
template <typename Settings, typename U32, typename F64, typename I64>
void VisitFields(Settings& s, U32 u32, F64 f64, I64 i64)
{
    u32(0, s.maxFiles);
    u32(4, s.maxFileSize);
    u32(8, s.videoBufferCount);
    u32(12, s.audioBufferCount);
    u32(16, s.splitCountVideo);
    u32(20, s.splitCountAudio);
    f64(24, s.dropThreshold);
    u32(32, s.maxWritesVideo);
    u32(36, s.maxWritesSecond);
    u32(40, s.driftPrevention);
    f64(44, s.driftThreshold);
    u32(52, s.driftSensitivity);
    i64(56, s.driftStartTime);
    EnumField(u32, 64, s.muxMode);
    EnumField(u32, 68, s.splitMode);
    EnumField(u32, 72, s.videoDelayProcessing);
    EnumField(u32, 76, s.audioDelayProcessing);
    u32(80, s.videoTimeProperty);
    u32(84, s.audioTimeProperty);
    u32(88, s.firstFrameNotDropped);
    u32(92, s.forcedAudioSync);
    u32(96, s.zeroFillJunk);
    u32(100, s.measureVideoRate);
    u32(104, s.measureAudioRate);
    u32(108, s.rateMaster);
    u32(112, s.discardNegativeVideo);
    u32(116, s.discardNegativeAudio);
    i64(120, s.frameDurationOverride);
    u32(128, s.audioRateOverride);
    u32(132, s.frameDurationOverrideEnabled);
    u32(136, s.audioRateOverrideEnabled);
    u32(140, s.fileMode);
    u32(144, s.timeShiftVideoTypeOverride);
    u32(148, s.timeShiftAudioTypeOverride);
    u32(152, s.fourccOverride);
}

}  // namespace

uint32_t MaxFileSizeFromMegabytes(uint32_t megabytes)
{
    return (std::clamp<uint32_t>(megabytes, 10, 2048) - 1) * kMiB;
}

uint32_t MegabytesFromMaxFileSize(uint32_t bytes)
{
    return bytes / kMiB + 1;
}

MuxSettings Bounded(const MuxSettings& in)
{
    MuxSettings s = in;
    s.maxFiles = AtLeastOne(s.maxFiles);
    s.maxFileSize = std::clamp<uint32_t>(s.maxFileSize, MaxFileSizeFromMegabytes(10), MaxFileSizeFromMegabytes(2048));
    s.videoBufferCount = AtLeastOne(s.videoBufferCount);
    s.audioBufferCount = AtLeastOne(s.audioBufferCount);
    s.splitCountVideo = AtLeastOne(s.splitCountVideo);
    s.splitCountAudio = AtLeastOne(s.splitCountAudio);
    s.dropThreshold = NotNegative(s.dropThreshold);
    s.maxWritesVideo = AtLeastOne(s.maxWritesVideo);
    s.maxWritesSecond = AtLeastOne(s.maxWritesSecond);
    s.driftThreshold = NotNegative(s.driftThreshold);
    s.driftSensitivity = AtLeastOne(s.driftSensitivity);
    s.driftStartTime = std::max<int64_t>(s.driftStartTime, 0);
    if (s.frameDurationOverride <= 0)
        s.frameDurationOverride = 1;
    s.audioRateOverride = AtLeastOne(s.audioRateOverride);
    return s;
}

std::array<uint8_t, kMuxSettingsStreamBytes> SerializeMuxSettings(const MuxSettings& settings)
{
    std::array<uint8_t, kMuxSettingsStreamBytes> out{};
    const char version[] = "00000000000 ";
    for (int i = 0; i < 12; ++i)
        PutU16(&out[2 * i], static_cast<uint16_t>(version[i]));
    uint8_t* block = out.data() + 24;
    MuxSettings copy = settings;
    VisitFields(
        copy, [&](int at, uint32_t& v) { PutU32(block + at, v); }, [&](int at, double& v) { PutDouble(block + at, v); },
        [&](int at, int64_t& v) { PutU64(block + at, static_cast<uint64_t>(v)); });
    return out;
}

bool ParseMuxSettings(const uint8_t* bytes, uint32_t length, MuxSettings* settings)
{
    if (bytes == nullptr || length < kMuxSettingsStreamBytes)
        return false;
    const uint8_t* block = bytes + 24;
    MuxSettings s;
    VisitFields(
        s, [&](int at, uint32_t& v) { v = GetU32(block + at); }, [&](int at, double& v) { v = GetDouble(block + at); },
        [&](int at, int64_t& v) { v = static_cast<int64_t>(GetU64(block + at)); });
    *settings = Bounded(s);
    return true;
}

}  // namespace trelvox
