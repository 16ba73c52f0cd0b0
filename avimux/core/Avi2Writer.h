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
  HResult Create(MuxFileSystem& fs, const std::string& path, CreateMode mode,
                 const Avi2Layout& layout);

  // S_OK or the failure of a file operation (or kIndexFull).
  HResult Write(StreamKind stream, const std::vector<RecordPtr>& records);

  // Header, idx1, the AVIX headers and the standard index blocks. A failed header ends
  // the finishing; later failures only skip their own part.
  HResult Finish(const MuxInputs& inputs, const AviRunFigures& run, uint32_t videoStart,
                 uint32_t audioStart);
  void Close();

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
  void StartIndexBlock(StreamIndex& index);
  void StartSegmentIfFull(const BatchSize& batch);
  HResult WriteWithinIndex(StreamKind stream, const std::vector<RecordPtr>& records);
  HResult WriteHeader(const MuxInputs& inputs, const AviRunFigures& run, const AviFileFigures& figures);
  HResult WriteRegion(uint64_t offset, uint32_t length, const std::function<void(uint8_t*)>& build);
  uint32_t SegmentHeaderBytes() const;

  Avi2Layout layout_;
  uint32_t indexBlockBytes_ = 0;  // X
  uint32_t headerSize_ = 0;       // H2
  std::unique_ptr<MuxFile> file_;
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
