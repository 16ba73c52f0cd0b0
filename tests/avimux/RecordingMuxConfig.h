// An IMuxConfig that holds plain values and logs every setter call with its
// arguments, so a test can see what a property page applies and in what order.
#pragma once

#include <string>
#include <vector>

#include "IMuxConfig.h"

class RecordingMuxConfig : public IMuxConfig {
public:
    std::vector<std::string> log;  // "SetName(arg,arg)"

    DWORD maxFiles = 40, maxFileSize = 2047, videoBuffers = 40, audioBuffers = 5;
    DWORD splitVideo = 8991, splitAudio = 600, writeFirst = 1, writeSecond = 1;
    double dropThreshold = 0.5, driftThreshold = 1.0;
    BOOL driftPrevention = FALSE, firstFrameNotDropped = TRUE, forcedAudioSync = FALSE, protect = FALSE;
    DWORD driftSensitivity = 50, muxMode = 0, splitMode = 0;
    LONGLONG driftStartTime = 0;
    DWORD timeVideo = 1, timeAudio = 1, delayVideo = 0, delayAudio = 0;
    // Statistics
    DWORD videoFrames = 0, audioBuffersCounted = 0, droppedFrames = 0, audioBlocks = 0;
    DWORD insertedFrames = 0, deletedFrames = 0;
    double frameRate = 0, audioFrequency = 0;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }
    LONG References() const { return refs_; }

    STDMETHODIMP SetMaxFiles(DWORD files) override;
    STDMETHODIMP GetMaxFiles(DWORD* files) override;
    STDMETHODIMP SetMaxFileSize(DWORD megabytes) override;
    STDMETHODIMP GetMaxFileSize(DWORD* megabytes) override;
    STDMETHODIMP SetBufferCounts(DWORD video, DWORD audio) override;
    STDMETHODIMP GetBufferCounts(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetSplitCounts(DWORD video, DWORD audio) override;
    STDMETHODIMP GetSplitCounts(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetDropThreshold(double threshold) override;
    STDMETHODIMP GetDropThreshold(double* threshold) override;
    STDMETHODIMP SetWriteCounts(DWORD video, DWORD second) override;
    STDMETHODIMP GetWriteCounts(DWORD* video, DWORD* second) override;
    STDMETHODIMP SetDriftPrevention(BOOL enabled) override;
    STDMETHODIMP GetDriftPrevention(BOOL* enabled) override;
    STDMETHODIMP SetDriftThreshold(double frames) override;
    STDMETHODIMP GetDriftThreshold(double* frames) override;
    STDMETHODIMP SetDriftSensitivity(DWORD count) override;
    STDMETHODIMP GetDriftSensitivity(DWORD* count) override;
    STDMETHODIMP SetDriftStartTime(LONGLONG time) override;
    STDMETHODIMP GetDriftStartTime(LONGLONG* time) override;
    STDMETHODIMP SetMuxMode(DWORD mode) override;
    STDMETHODIMP GetMuxMode(DWORD* mode) override;
    STDMETHODIMP SetSplitMode(DWORD mode) override;
    STDMETHODIMP GetSplitMode(DWORD* mode) override;
    STDMETHODIMP SetDelayProcessing(DWORD video, DWORD audio) override;
    STDMETHODIMP GetDelayProcessing(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetTimeProperty(DWORD video, DWORD audio) override;
    STDMETHODIMP GetTimeProperty(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetFirstFrameNotDropped(BOOL enabled) override;
    STDMETHODIMP GetFirstFrameNotDropped(BOOL* enabled) override;
    STDMETHODIMP SetForcedAudioSync(BOOL enabled) override;
    STDMETHODIMP GetForcedAudioSync(BOOL* enabled) override;
    STDMETHODIMP SetProtect(BOOL value) override;
    STDMETHODIMP GetProtect(BOOL* value) override;
    STDMETHODIMP GetDriftCounts(DWORD* inserted, DWORD* deleted) override;
    STDMETHODIMP GetCounts(DWORD* frames, DWORD* buffers, DWORD* dropped, DWORD* blocks) override;
    STDMETHODIMP GetRates(double* rate, double* frequency) override;

    // Not on any page: logged as a call the pages must not make.
    STDMETHODIMP SetZeroFillJunk(BOOL) override { return Unexpected("SetZeroFillJunk"); }
    STDMETHODIMP GetZeroFillJunk(BOOL*) override { return Unexpected("GetZeroFillJunk"); }
    STDMETHODIMP SetRateMaster(DWORD) override { return Unexpected("SetRateMaster"); }
    STDMETHODIMP GetRateMaster(DWORD*) override { return Unexpected("GetRateMaster"); }
    STDMETHODIMP SetMeasureRates(DWORD, DWORD) override { return Unexpected("SetMeasureRates"); }
    STDMETHODIMP GetMeasureRates(DWORD*, DWORD*) override { return Unexpected("GetMeasureRates"); }
    STDMETHODIMP SetDiscardNegativeStart(DWORD, DWORD) override { return Unexpected("SetDiscardNegativeStart"); }
    STDMETHODIMP GetDiscardNegativeStart(DWORD*, DWORD*) override { return Unexpected("GetDiscardNegativeStart"); }
    STDMETHODIMP SetAudioRateOverride(DWORD, BOOL) override { return Unexpected("SetAudioRateOverride"); }
    STDMETHODIMP GetAudioRateOverride(DWORD*, BOOL*) override { return Unexpected("GetAudioRateOverride"); }
    STDMETHODIMP SetFrameDurationOverride(LONGLONG, BOOL) override { return Unexpected("SetFrameDurationOverride"); }
    STDMETHODIMP GetFrameDurationOverride(LONGLONG*, BOOL*) override { return Unexpected("GetFrameDurationOverride"); }
    STDMETHODIMP SetTimeShiftTypeOverrides(BOOL, BOOL) override { return Unexpected("SetTimeShiftTypeOverrides"); }
    STDMETHODIMP GetTimeShiftTypeOverrides(BOOL*, BOOL*) override { return Unexpected("GetTimeShiftTypeOverrides"); }
    STDMETHODIMP SetFourccOverride(DWORD) override { return Unexpected("SetFourccOverride"); }
    STDMETHODIMP GetFourccOverride(DWORD*) override { return Unexpected("GetFourccOverride"); }
    STDMETHODIMP RestoreDefaults() override { return Unexpected("RestoreDefaults"); }
    STDMETHODIMP(CheckPointer)(void*) override { return Unexpected("CheckPointer"); }

private:
    HRESULT Log(const char* name, const std::string& arguments);
    HRESULT Unexpected(const char* name);

    LONG refs_ = 1;
};
