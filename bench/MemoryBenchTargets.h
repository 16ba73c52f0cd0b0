// What mux_memory_bench feeds: the whole recorder, or the file writers of one mux mode
// alone, without the time-shift index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MuxFile.h"
#include "MuxMode.h"
#include "MuxTypes.h"

namespace trelvox::bench {

struct TargetSetup {
    MuxMode muxMode = MuxMode::Avi1FileSet;
    bool audio = true;
    uint32_t maxFiles = 40;  // mode 0
    bool ownThread = false;  // the recorder's writer on its own thread
};

class BenchTarget {
public:
    virtual ~BenchTarget() = default;
    virtual HResult Prepare() = 0;
    virtual HResult Video(const std::vector<uint8_t>& picture, int64_t start) = 0;
    virtual HResult Audio(const std::vector<uint8_t>& sound, int64_t start) = 0;
    virtual void Stop() = 0;
};

std::unique_ptr<BenchTarget> MakeRecorderTarget(MuxFileSystem& fs, const TargetSetup& setup);
std::unique_ptr<BenchTarget> MakeWriterTarget(MuxFileSystem& fs, const TargetSetup& setup);

}  // namespace trelvox::bench
