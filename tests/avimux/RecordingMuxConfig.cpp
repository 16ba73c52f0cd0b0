#include "RecordingMuxConfig.h"

#include <cstdio>

namespace {

std::string Args(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string Args(LONGLONG value)
{
    return std::to_string(value);
}

std::string Args(DWORD value)
{
    return std::to_string(value);
}

std::string Args(BOOL value)
{
    return std::to_string(value);
}

std::string Args(DWORD first, DWORD second)
{
    return std::to_string(first) + "," + std::to_string(second);
}

}  // namespace

STDMETHODIMP RecordingMuxConfig::QueryInterface(REFIID riid, void** ppv)
{
    if (riid != IID_IUnknown && riid != IID_IMuxConfig) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IMuxConfig*>(this);
    AddRef();
    return S_OK;
}

HRESULT RecordingMuxConfig::Log(const char* name, const std::string& arguments)
{
    log.push_back(std::string(name) + "(" + arguments + ")");
    return S_OK;
}

HRESULT RecordingMuxConfig::Unexpected(const char* name)
{
    log.push_back(std::string("unexpected ") + name);
    return E_NOTIMPL;
}

#define SET1(Name, field)                                                                                              \
    STDMETHODIMP RecordingMuxConfig::Name(decltype(field) value)                                                       \
    {                                                                                                                  \
        field = value;                                                                                                 \
        return Log(#Name, Args(value));                                                                                \
    }
#define GET1(Name, field)                                                                                              \
    STDMETHODIMP RecordingMuxConfig::Name(decltype(field)* value)                                                      \
    {                                                                                                                  \
        *value = field;                                                                                                \
        return S_OK;                                                                                                   \
    }
#define SET2(Name, first, second)                                                                                      \
    STDMETHODIMP RecordingMuxConfig::Name(decltype(first) a, decltype(second) b)                                       \
    {                                                                                                                  \
        first = a;                                                                                                     \
        second = b;                                                                                                    \
        return Log(#Name, Args(a, b));                                                                                 \
    }
#define GET2(Name, first, second)                                                                                      \
    STDMETHODIMP RecordingMuxConfig::Name(decltype(first)* a, decltype(second)* b)                                     \
    {                                                                                                                  \
        *a = first;                                                                                                    \
        *b = second;                                                                                                   \
        return S_OK;                                                                                                   \
    }

SET1(SetMaxFiles, maxFiles)
GET1(GetMaxFiles, maxFiles)
SET1(SetMaxFileSize, maxFileSize)
GET1(GetMaxFileSize, maxFileSize)
SET2(SetBufferCounts, videoBuffers, audioBuffers)
GET2(GetBufferCounts, videoBuffers, audioBuffers)
SET2(SetSplitCounts, splitVideo, splitAudio)
GET2(GetSplitCounts, splitVideo, splitAudio)
SET1(SetDropThreshold, dropThreshold)
GET1(GetDropThreshold, dropThreshold)
SET2(SetWriteCounts, writeFirst, writeSecond)
GET2(GetWriteCounts, writeFirst, writeSecond)
SET1(SetDriftPrevention, driftPrevention)
GET1(GetDriftPrevention, driftPrevention)
SET1(SetDriftThreshold, driftThreshold)
GET1(GetDriftThreshold, driftThreshold)
SET1(SetDriftSensitivity, driftSensitivity)
GET1(GetDriftSensitivity, driftSensitivity)
SET1(SetDriftStartTime, driftStartTime)
GET1(GetDriftStartTime, driftStartTime)
SET1(SetMuxMode, muxMode)
GET1(GetMuxMode, muxMode)
SET1(SetSplitMode, splitMode)
GET1(GetSplitMode, splitMode)
SET2(SetDelayProcessing, delayVideo, delayAudio)
GET2(GetDelayProcessing, delayVideo, delayAudio)
SET2(SetTimeProperty, timeVideo, timeAudio)
GET2(GetTimeProperty, timeVideo, timeAudio)
SET1(SetFirstFrameNotDropped, firstFrameNotDropped)
GET1(GetFirstFrameNotDropped, firstFrameNotDropped)
SET1(SetForcedAudioSync, forcedAudioSync)
GET1(GetForcedAudioSync, forcedAudioSync)
SET1(SetProtect, protect)
GET1(GetProtect, protect)
GET2(GetDriftCounts, insertedFrames, deletedFrames)
GET2(GetRates, frameRate, audioFrequency)

STDMETHODIMP RecordingMuxConfig::GetCounts(DWORD* frames, DWORD* buffers, DWORD* dropped, DWORD* blocks)
{
    *frames = videoFrames;
    *buffers = audioBuffersCounted;
    *dropped = droppedFrames;
    *blocks = audioBlocks;
    return S_OK;
}
