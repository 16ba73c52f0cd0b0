// What a recording's report prints: the filters used, the stream figures and
// the start and end times, and the open report file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct RecordingReport {
    std::wstring filePath;

    std::wstring videoCaptureDevice;
    std::wstring audioCaptureDevice;
    std::wstring videoCompressor;
    std::wstring audioCompressor;
    std::wstring multiplexer;
    std::wstring videoPreviewRenderer;
    std::wstring audioPreviewRenderer;
    std::wstring formatDescription;

    int64_t videoFirstStart = 0;
    int64_t videoLastEnd = 0;
    int64_t audioFirstStart = 0;
    int64_t audioLastEnd = 0;
    int64_t videoFirstMediaStart = 0;
    int64_t videoLastMediaEnd = 0;
    int64_t audioFirstMediaStart = 0;
    int64_t audioLastMediaEnd = 0;

    int32_t videoFormatIndex = 0;
    int32_t videoWidth = 0;
    int32_t videoHeight = 0;
    int32_t videoFrameDuration = 0;
    uint32_t videoFourcc = 0;

    int32_t audioSamplesPerSecond = 0;
    int32_t audioBitsPerSample = 0;
    int32_t audioChannels = 0;
    int32_t audioChannelsSwapped = 0;

    int64_t totalFrames = 0;
    int64_t droppedFrames = 0;
    int64_t totalBlocks = 0;
    int64_t totalSamples = 0;

    int64_t startTime = 0;
    int64_t endTime = 0;

    FILE* file = nullptr;
};
