// The option blocks of the record and preview profiles, laid out as stored.
#pragma once

#include <cstdint>

struct RecordOptions {
    std::uint32_t cbSize = sizeof(RecordOptions);
    std::uint32_t noPreviewWhileRecording = 0;
    std::uint32_t loadThreadWhileRecording = 0;
    std::uint32_t swapAudioChannels = 0;
    // 0 leaves the process priority alone; otherwise a Win32 priority class.
    std::uint32_t priorityClass = 32;
    std::uint32_t reserved[19] = {};
};
static_assert(sizeof(RecordOptions) == 96);

struct PreviewOptions {
    std::uint32_t cbSize = sizeof(PreviewOptions);
    std::uint32_t deinterlaceInterlacedModes = 0;
    std::uint32_t deinterlaceWhileRecording = 0;
    std::uint32_t infTeeForAudio = 0;
    std::uint32_t priorityClass = 32;
    std::uint32_t reserved[18] = {};
};
static_assert(sizeof(PreviewOptions) == 92);
