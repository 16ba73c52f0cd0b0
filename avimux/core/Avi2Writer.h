// One OpenDML AVI file: a first "AVI " RIFF with the full header, then "AVIX" RIFFs of
// about 1 GiB each; every stream indexed by standard index chunks listed in its super
// index, and the first RIFF also by idx1.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AviHeader.h"
#include "CommonIndex.h"
#include "Idx1Index.h"
#include "MoviBatch.h"
#include "MuxFile.h"
#include "OpenDmlIndex.h"
#include "SectorBufferPool.h"

namespace trelvox {

struct Avi2Layout {
    uint32_t sectorSize = 0;
    MuxInputs inputs;
    AviRunFigures run;                   // what is known when recording is prepared
    uint64_t segmentBytes = 1ull << 30;  // a new RIFF begins before this multiple
    bool zeroFillJunk = true;
    CommonIndexes* playbackIndex = nullptr;  // gets every chunk written, when set
};

// A bound of the format: the super index has no room for another standard index.
constexpr HResult kIndexFull = static_cast<HResult>(0x800700DF);  // ERROR_FILE_TOO_LARGE

class Avi2Writer {
public:
    // Creates the file, reserves the first standard index of each stream and writes a
    // provisional header. On failure a file this call made is deleted.
    HResult Create(MuxFileSystem& fs, const std::string& path, CreateMode mode, const Avi2Layout& layout);

    // S_OK or the failure of a file operation (or kIndexFull).
    HResult Write(StreamKind stream, const std::vector<RecordPtr>& records);
    // A frame duration learnt from the samples: the provisional header is written again.
    HResult SetFrameDuration(int64_t frameDuration);

    // The AVIX headers, the standard index blocks, idx1 and last the header, which claims
    // only the indexes that were written. A failure skips only its own part.
    HResult Finish(const MuxInputs& inputs, const AviRunFigures& run, uint32_t videoStart, uint32_t audioStart);
    void Close();
    // Closes the file and deletes it unless it was there before.
    void Discard();

    uint32_t HeaderSize() const { return headerSize_; }

private:
    struct Segment {
        uint64_t moviStart;
        uint32_t moviBytes;
    };
    struct StreamIndex {
        uint32_t fcc;
        uint32_t chunkId;
        SuperIndex super;
        std::vector<StdIndexBlock> blocks;
    };

    StreamIndex* Index(StreamKind stream);
    StdIndexBlock NewIndexBlock(const StreamIndex& index, uint64_t at) const;
    void StartIndexBlock(StreamIndex& index, StdIndexBlock block);
    void ReserveBookkeeping(StreamIndex& index, bool newSegment, bool newBlock, uint32_t chunks);
    // Where a new RIFF begins when the batch does not fit in the current one.
    std::optional<uint64_t> NewSegmentStart(const BatchSize& batch) const;
    HResult WriteWithinIndex(StreamKind stream, const std::vector<RecordPtr>& records);
    HResult WriteProvisionalHeader();
    HResult WriteHeader(const MuxInputs& inputs, const AviRunFigures& run, const AviFileFigures& figures,
                        const SuperIndex* videoSuper, const SuperIndex* audioSuper);
    HResult WriteIndexBlocks(const StreamIndex& index, SuperIndex* written, std::vector<uint64_t>* lost);
    HResult WriteSegmentHeaders();
    HResult WriteRegion(uint64_t offset, uint32_t length, const std::function<void(uint8_t*)>& build);
    uint32_t SegmentHeaderBytes() const;

    Avi2Layout layout_;
    uint32_t indexBlockBytes_ = 0;  // X
    uint32_t headerSize_ = 0;       // H2
    std::unique_ptr<MuxFile> file_;
    MuxFileSystem* fs_ = nullptr;
    std::string path_;
    bool existed_ = false;
    std::shared_ptr<SectorBufferPool> batchBuffers_;  // for batches of several records
    uint64_t position_ = 0;
    uint32_t idx1Bytes_ = 8;
    std::vector<Idx1Entry> idx1_;
    uint32_t totalFrames_ = 0;
    uint32_t totalAudioBlocks_ = 0;
    std::vector<Segment> segments_;
    std::optional<StreamIndex> video_, audio_;
};

}  // namespace trelvox
