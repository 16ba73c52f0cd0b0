// OpenDML recordings too large for memory, made into sparse files (zero-filled samples)
// for the structure tests and the readers.
#pragma once

#include <cstdint>
#include <string>

#include "MuxFile.h"
#include "MuxTypes.h"

namespace trelvox::test {

// About 5.5 GiB: 352 pictures of 16 MiB, every third a key frame, with a gap of 4,100
// frames after picture 60; 40 audio buffers of 40 stereo samples after each picture,
// every tenth a sync point. Written through the OpenDML writer as the recorder hands
// over its batches, one sample record written again for every picture.
struct BeyondFourGib {
    static constexpr int kWidth = 4096, kHeight = 2048;
    static constexpr uint32_t kPictureBytes = kWidth * kHeight * 2;
    static constexpr int kPictures = 352;
    static constexpr int kGapAfter = 60;
    static constexpr uint32_t kGapFrames = 4100;
    static constexpr int kAudioPerPicture = 40;
    static constexpr uint32_t kAudioBytes = 160;
    static constexpr uint32_t kBlockAlign = 4;
    static bool IsKeyPicture(int picture) { return picture % 3 == 0; }
    static bool IsSyncAudio(int buffer) { return buffer % 10 == 0; }
};
HResult WriteBeyondFourGib(MuxFileSystem& fs, const std::string& path);

// Three small pictures, then one after a gap of more null frames than 2,014 standard
// indexes hold, then one more, through the recorder into `name`.avi. The recording
// ends at the full super index.
constexpr uint32_t kSuperIndexGap = 8200000;
void RecordPastTheSuperIndex(MuxFileSystem& fs, MuxEventSink& events, const std::string& name);

}  // namespace trelvox::test
