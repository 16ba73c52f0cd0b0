// IMuxConfig: the multiplexer's settings and the statistics of the current run.
// Setters store (after their clamp) and mark the settings dirty; getters fail with
// E_POINTER for a null pointer. New values reach a recording at its preparation.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "MuxGuids.h"

struct IMuxConfig : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetMaxFiles(DWORD files) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMaxFiles(DWORD* files) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMaxFileSize(DWORD megabytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMaxFileSize(DWORD* megabytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBufferCounts(DWORD video, DWORD audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBufferCounts(DWORD* video, DWORD* audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSplitCounts(DWORD video, DWORD audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSplitCounts(DWORD* video, DWORD* audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDropThreshold(double threshold) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDropThreshold(double* threshold) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWriteCounts(DWORD video, DWORD second) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWriteCounts(DWORD* video, DWORD* second) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDriftPrevention(BOOL enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriftPrevention(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDriftThreshold(double frames) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriftThreshold(double* frames) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDriftSensitivity(DWORD count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriftSensitivity(DWORD* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDriftStartTime(LONGLONG time) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriftStartTime(LONGLONG* time) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMuxMode(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMuxMode(DWORD* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSplitMode(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSplitMode(DWORD* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDelayProcessing(DWORD video, DWORD audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDelayProcessing(DWORD* video, DWORD* audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTimeProperty(DWORD video, DWORD audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeProperty(DWORD* video, DWORD* audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFirstFrameNotDropped(BOOL enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFirstFrameNotDropped(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetForcedAudioSync(BOOL enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetForcedAudioSync(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetZeroFillJunk(BOOL enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetZeroFillJunk(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRateMaster(DWORD master) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRateMaster(DWORD* master) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMeasureRates(DWORD video, DWORD audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMeasureRates(DWORD* video, DWORD* audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDiscardNegativeStart(DWORD video, DWORD audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDiscardNegativeStart(DWORD* video, DWORD* audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAudioRateOverride(DWORD rate, BOOL enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAudioRateOverride(DWORD* rate, BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFrameDurationOverride(LONGLONG duration, BOOL enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFrameDurationOverride(LONGLONG* duration, BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTimeShiftTypeOverrides(BOOL video, BOOL audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeShiftTypeOverrides(BOOL* video, BOOL* audio) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFourccOverride(DWORD fourcc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFourccOverride(DWORD* fourcc) = 0;
    virtual HRESULT STDMETHODCALLTYPE RestoreDefaults() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriftCounts(DWORD* inserted, DWORD* deleted) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCounts(DWORD* videoFrames, DWORD* audioBuffers, DWORD* droppedFrames,
                                                DWORD* audioBlocks) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRates(double* videoFrameRate, double* audioFrequency) = 0;
    // Parenthesised: the base classes define a CheckPointer macro.
    virtual HRESULT STDMETHODCALLTYPE(CheckPointer)(void* pointer) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProtect(BOOL protect) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProtect(BOOL* protect) = 0;
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IMuxConfig, 0x82332657, 0x85d6, 0x4d71, 0xb3, 0x7c, 0xfd, 0xc0, 0x33, 0xc2, 0xa3, 0x4b)
#endif
