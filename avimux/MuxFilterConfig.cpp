// IMuxConfig of MuxFilter: the settings, bounded as a loaded block is, and the statistics.
#include "MuxFilter.h"

namespace {

uint32_t Flag(BOOL value)
{
    return value ? 1 : 0;
}

}  // namespace

template <class Change>
HRESULT MuxFilter::ChangeSettings(Change change)
{
    CAutoLock lock(&filterLock_);
    change(settings_);
    settings_ = trelvox::Bounded(settings_);
    SetDirty(TRUE);
    return S_OK;
}

template <class Read>
HRESULT MuxFilter::ReadSettings(Read read)
{
    CAutoLock lock(&filterLock_);
    read(settings_);
    return S_OK;
}

#define MUX_REQUIRE(p)                                                                                                 \
    if (!(p))                                                                                                          \
    return E_POINTER

STDMETHODIMP MuxFilter::SetMaxFiles(DWORD files)
{
    return ChangeSettings([&](auto& s) { s.maxFiles = files; });
}

STDMETHODIMP MuxFilter::GetMaxFiles(DWORD* files)
{
    MUX_REQUIRE(files);
    return ReadSettings([&](const auto& s) { *files = s.maxFiles; });
}

STDMETHODIMP MuxFilter::SetMaxFileSize(DWORD megabytes)
{
    return ChangeSettings([&](auto& s) { s.maxFileSize = trelvox::MaxFileSizeFromMegabytes(megabytes); });
}

STDMETHODIMP MuxFilter::GetMaxFileSize(DWORD* megabytes)
{
    MUX_REQUIRE(megabytes);
    return ReadSettings([&](const auto& s) { *megabytes = trelvox::MegabytesFromMaxFileSize(s.maxFileSize); });
}

STDMETHODIMP MuxFilter::SetBufferCounts(DWORD video, DWORD audio)
{
    return ChangeSettings([&](auto& s) {
        s.videoBufferCount = video;
        s.audioBufferCount = audio;
    });
}

STDMETHODIMP MuxFilter::GetBufferCounts(DWORD* video, DWORD* audio)
{
    MUX_REQUIRE(video && audio);
    return ReadSettings([&](const auto& s) {
        *video = s.videoBufferCount;
        *audio = s.audioBufferCount;
    });
}

STDMETHODIMP MuxFilter::SetSplitCounts(DWORD video, DWORD audio)
{
    return ChangeSettings([&](auto& s) {
        s.splitCountVideo = video;
        s.splitCountAudio = audio;
    });
}

STDMETHODIMP MuxFilter::GetSplitCounts(DWORD* video, DWORD* audio)
{
    MUX_REQUIRE(video && audio);
    return ReadSettings([&](const auto& s) {
        *video = s.splitCountVideo;
        *audio = s.splitCountAudio;
    });
}

STDMETHODIMP MuxFilter::SetDropThreshold(double threshold)
{
    return ChangeSettings([&](auto& s) { s.dropThreshold = threshold; });
}

STDMETHODIMP MuxFilter::GetDropThreshold(double* threshold)
{
    MUX_REQUIRE(threshold);
    return ReadSettings([&](const auto& s) { *threshold = s.dropThreshold; });
}

STDMETHODIMP MuxFilter::SetWriteCounts(DWORD video, DWORD second)
{
    return ChangeSettings([&](auto& s) {
        s.maxWritesVideo = video;
        s.maxWritesSecond = second;
    });
}

STDMETHODIMP MuxFilter::GetWriteCounts(DWORD* video, DWORD* second)
{
    MUX_REQUIRE(video && second);
    return ReadSettings([&](const auto& s) {
        *video = s.maxWritesVideo;
        *second = s.maxWritesSecond;
    });
}

STDMETHODIMP MuxFilter::SetDriftPrevention(BOOL enabled)
{
    return ChangeSettings([&](auto& s) { s.driftPrevention = Flag(enabled); });
}

STDMETHODIMP MuxFilter::GetDriftPrevention(BOOL* enabled)
{
    MUX_REQUIRE(enabled);
    return ReadSettings([&](const auto& s) { *enabled = s.driftPrevention != 0; });
}

STDMETHODIMP MuxFilter::SetDriftThreshold(double frames)
{
    return ChangeSettings([&](auto& s) { s.driftThreshold = frames; });
}

STDMETHODIMP MuxFilter::GetDriftThreshold(double* frames)
{
    MUX_REQUIRE(frames);
    return ReadSettings([&](const auto& s) { *frames = s.driftThreshold; });
}

STDMETHODIMP MuxFilter::SetDriftSensitivity(DWORD count)
{
    return ChangeSettings([&](auto& s) { s.driftSensitivity = count; });
}

STDMETHODIMP MuxFilter::GetDriftSensitivity(DWORD* count)
{
    MUX_REQUIRE(count);
    return ReadSettings([&](const auto& s) { *count = s.driftSensitivity; });
}

STDMETHODIMP MuxFilter::SetDriftStartTime(LONGLONG time)
{
    return ChangeSettings([&](auto& s) { s.driftStartTime = time; });
}

STDMETHODIMP MuxFilter::GetDriftStartTime(LONGLONG* time)
{
    MUX_REQUIRE(time);
    return ReadSettings([&](const auto& s) { *time = s.driftStartTime; });
}

STDMETHODIMP MuxFilter::SetMuxMode(DWORD mode)
{
    return ChangeSettings([&](auto& s) { s.muxMode = static_cast<trelvox::MuxMode>(mode); });
}

STDMETHODIMP MuxFilter::GetMuxMode(DWORD* mode)
{
    MUX_REQUIRE(mode);
    return ReadSettings([&](const auto& s) { *mode = static_cast<DWORD>(s.muxMode); });
}

STDMETHODIMP MuxFilter::SetSplitMode(DWORD mode)
{
    return ChangeSettings([&](auto& s) { s.splitMode = static_cast<trelvox::SplitMode>(mode); });
}

STDMETHODIMP MuxFilter::GetSplitMode(DWORD* mode)
{
    MUX_REQUIRE(mode);
    return ReadSettings([&](const auto& s) { *mode = static_cast<DWORD>(s.splitMode); });
}

STDMETHODIMP MuxFilter::SetDelayProcessing(DWORD video, DWORD audio)
{
    return ChangeSettings([&](auto& s) {
        s.videoDelayProcessing = static_cast<trelvox::VideoDelayProcessing>(video);
        s.audioDelayProcessing = static_cast<trelvox::AudioDelayProcessing>(audio);
    });
}

STDMETHODIMP MuxFilter::GetDelayProcessing(DWORD* video, DWORD* audio)
{
    MUX_REQUIRE(video && audio);
    return ReadSettings([&](const auto& s) {
        *video = static_cast<DWORD>(s.videoDelayProcessing);
        *audio = static_cast<DWORD>(s.audioDelayProcessing);
    });
}

STDMETHODIMP MuxFilter::SetTimeProperty(DWORD video, DWORD audio)
{
    return ChangeSettings([&](auto& s) {
        s.videoTimeProperty = video;
        s.audioTimeProperty = audio;
    });
}

STDMETHODIMP MuxFilter::GetTimeProperty(DWORD* video, DWORD* audio)
{
    MUX_REQUIRE(video && audio);
    return ReadSettings([&](const auto& s) {
        *video = s.videoTimeProperty;
        *audio = s.audioTimeProperty;
    });
}

STDMETHODIMP MuxFilter::SetFirstFrameNotDropped(BOOL enabled)
{
    return ChangeSettings([&](auto& s) { s.firstFrameNotDropped = Flag(enabled); });
}

STDMETHODIMP MuxFilter::GetFirstFrameNotDropped(BOOL* enabled)
{
    MUX_REQUIRE(enabled);
    return ReadSettings([&](const auto& s) { *enabled = s.firstFrameNotDropped != 0; });
}

STDMETHODIMP MuxFilter::SetForcedAudioSync(BOOL enabled)
{
    return ChangeSettings([&](auto& s) { s.forcedAudioSync = Flag(enabled); });
}

STDMETHODIMP MuxFilter::GetForcedAudioSync(BOOL* enabled)
{
    MUX_REQUIRE(enabled);
    return ReadSettings([&](const auto& s) { *enabled = s.forcedAudioSync != 0; });
}

STDMETHODIMP MuxFilter::SetZeroFillJunk(BOOL enabled)
{
    return ChangeSettings([&](auto& s) { s.zeroFillJunk = Flag(enabled); });
}

STDMETHODIMP MuxFilter::GetZeroFillJunk(BOOL* enabled)
{
    MUX_REQUIRE(enabled);
    return ReadSettings([&](const auto& s) { *enabled = s.zeroFillJunk != 0; });
}

STDMETHODIMP MuxFilter::SetRateMaster(DWORD master)
{
    return ChangeSettings([&](auto& s) { s.rateMaster = master; });
}

STDMETHODIMP MuxFilter::GetRateMaster(DWORD* master)
{
    MUX_REQUIRE(master);
    return ReadSettings([&](const auto& s) { *master = s.rateMaster; });
}

STDMETHODIMP MuxFilter::SetMeasureRates(DWORD video, DWORD audio)
{
    return ChangeSettings([&](auto& s) {
        s.measureVideoRate = video;
        s.measureAudioRate = audio;
    });
}

STDMETHODIMP MuxFilter::GetMeasureRates(DWORD* video, DWORD* audio)
{
    MUX_REQUIRE(video && audio);
    return ReadSettings([&](const auto& s) {
        *video = s.measureVideoRate;
        *audio = s.measureAudioRate;
    });
}

STDMETHODIMP MuxFilter::SetDiscardNegativeStart(DWORD video, DWORD audio)
{
    return ChangeSettings([&](auto& s) {
        s.discardNegativeVideo = video;
        s.discardNegativeAudio = audio;
    });
}

STDMETHODIMP MuxFilter::GetDiscardNegativeStart(DWORD* video, DWORD* audio)
{
    MUX_REQUIRE(video && audio);
    return ReadSettings([&](const auto& s) {
        *video = s.discardNegativeVideo;
        *audio = s.discardNegativeAudio;
    });
}

STDMETHODIMP MuxFilter::SetAudioRateOverride(DWORD rate, BOOL enabled)
{
    return ChangeSettings([&](auto& s) {
        s.audioRateOverride = rate;
        s.audioRateOverrideEnabled = Flag(enabled);
    });
}

STDMETHODIMP MuxFilter::GetAudioRateOverride(DWORD* rate, BOOL* enabled)
{
    MUX_REQUIRE(rate && enabled);
    return ReadSettings([&](const auto& s) {
        *rate = s.audioRateOverride;
        *enabled = s.audioRateOverrideEnabled != 0;
    });
}

STDMETHODIMP MuxFilter::SetFrameDurationOverride(LONGLONG duration, BOOL enabled)
{
    return ChangeSettings([&](auto& s) {
        s.frameDurationOverride = duration;
        s.frameDurationOverrideEnabled = Flag(enabled);
    });
}

STDMETHODIMP MuxFilter::GetFrameDurationOverride(LONGLONG* duration, BOOL* enabled)
{
    MUX_REQUIRE(duration && enabled);
    return ReadSettings([&](const auto& s) {
        *duration = s.frameDurationOverride;
        *enabled = s.frameDurationOverrideEnabled != 0;
    });
}

STDMETHODIMP MuxFilter::SetTimeShiftTypeOverrides(BOOL video, BOOL audio)
{
    return ChangeSettings([&](auto& s) {
        s.timeShiftVideoTypeOverride = Flag(video);
        s.timeShiftAudioTypeOverride = Flag(audio);
    });
}

STDMETHODIMP MuxFilter::GetTimeShiftTypeOverrides(BOOL* video, BOOL* audio)
{
    MUX_REQUIRE(video && audio);
    return ReadSettings([&](const auto& s) {
        *video = s.timeShiftVideoTypeOverride != 0;
        *audio = s.timeShiftAudioTypeOverride != 0;
    });
}

STDMETHODIMP MuxFilter::SetFourccOverride(DWORD fourcc)
{
    return ChangeSettings([&](auto& s) { s.fourccOverride = fourcc; });
}

STDMETHODIMP MuxFilter::GetFourccOverride(DWORD* fourcc)
{
    MUX_REQUIRE(fourcc);
    return ReadSettings([&](const auto& s) { *fourcc = s.fourccOverride; });
}

STDMETHODIMP MuxFilter::RestoreDefaults()
{
    return ChangeSettings([&](auto& s) {
        const uint32_t fileMode = s.fileMode;
        s = trelvox::MuxSettings{};
        s.fileMode = fileMode;
    });
}

STDMETHODIMP MuxFilter::GetDriftCounts(DWORD* inserted, DWORD* deleted)
{
    MUX_REQUIRE(inserted && deleted);
    const trelvox::MuxStatistics stats = recorder_->Statistics();
    *inserted = stats.inserted;
    *deleted = stats.deleted;
    return S_OK;
}

STDMETHODIMP MuxFilter::GetCounts(DWORD* videoFrames, DWORD* audioBuffers, DWORD* droppedFrames, DWORD* audioBlocks)
{
    MUX_REQUIRE(videoFrames && audioBuffers && droppedFrames && audioBlocks);
    const trelvox::MuxStatistics stats = recorder_->Statistics();
    *videoFrames = stats.videoFrames;
    *audioBuffers = stats.audioBuffers;
    *droppedFrames = stats.droppedFrames;
    *audioBlocks = static_cast<DWORD>(stats.audioBlocks);
    return S_OK;
}

STDMETHODIMP MuxFilter::GetRates(double* videoFrameRate, double* audioFrequency)
{
    MUX_REQUIRE(videoFrameRate && audioFrequency);
    const trelvox::MuxStatistics stats = recorder_->Statistics();
    *videoFrameRate = stats.videoFrameRate;
    *audioFrequency = stats.audioFrequency;
    return S_OK;
}

STDMETHODIMP(MuxFilter::CheckPointer)(void* pointer)
{
    return pointer ? S_OK : E_POINTER;
}

STDMETHODIMP MuxFilter::SetProtect(BOOL protect)
{
    CAutoLock lock(&filterLock_);
    protect_ = protect != FALSE;
    SetDirty(TRUE);
    return S_OK;
}

STDMETHODIMP MuxFilter::GetProtect(BOOL* protect)
{
    MUX_REQUIRE(protect);
    CAutoLock lock(&filterLock_);
    *protect = protect_;
    return S_OK;
}
