// Formats, samples, an event log and a view of an AVI 1.0 file for the multiplexer tests.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "AviWalker.h"
#include "MediaFormats.h"
#include "MuxTypes.h"
#include "SectorBufferPool.h"

namespace trelvox::test {

constexpr uint32_t kYuy2 = 0x32595559;  // "YUY2"

VideoFormat MakeVideo(int32_t width, int32_t height, uint32_t compression = kYuy2, int64_t frameDuration = 333667,
                      uint32_t biSize = 40);
// PCM; cbFormat 18 unless `extra` bytes follow.
AudioFormat MakeAudio(uint32_t rate = 48000, uint16_t channels = 2, uint16_t bits = 16, uint16_t extra = 0);

// Buffers for sample records written with 512-byte sectors.
SectorBufferPool& Sector512Buffers();

MuxSample TimedSample(const std::vector<uint8_t>& data, int64_t start, bool sync = true);

// A YUY2 picture whose luma encodes the frame number, so decoded frames can be told apart.
std::vector<uint8_t> Yuy2Picture(int width, int height, int frame);

class EventLog : public MuxEventSink {
public:
    struct Event {
        int32_t code;
        intptr_t param1;
    };
    void Notify(int32_t code, intptr_t param1, intptr_t) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back({code, param1});
    }
    std::vector<Event> Events() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Event> events_;
};

// The parts of an AVI 1.0 file the tests look at, read straight from its bytes.
struct AviView {
    explicit AviView(const std::vector<uint8_t>& bytes);

    uint32_t U32(uint64_t at) const;
    std::string Id(uint64_t at) const;

    const std::vector<uint8_t>& bytes;
    uint64_t moviList = 0;          // offset of the "LIST" of movi
    std::vector<Chunk> moviChunks;  // JUNK left out
    std::vector<Chunk> moviJunk;
    uint64_t idx1 = 0;           // offset of the idx1 chunk
    std::vector<uint64_t> strh;  // offsets of the strh fields, per stream
    std::vector<uint64_t> strf;  // offsets of the strf chunks, per stream
};

}  // namespace trelvox::test
