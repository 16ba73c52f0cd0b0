// The numbered files of an AVI 1.0 recording: all created when recording is prepared,
// filled one after the other, finished with header and idx1 at stop; the unused ones
// are deleted.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AviHeader.h"
#include "CommonIndex.h"
#include "Idx1Index.h"
#include "MoviBatch.h"
#include "MuxFile.h"
#include "SectorBufferPool.h"

namespace trelvox {

struct Avi1File {
    std::string name;
    std::unique_ptr<MuxFile> handle;
    bool existed = false;  // there before this recording
    bool used = false;
    uint32_t moviBytes = 0;
    uint32_t idx1Bytes = 8;
    uint32_t videoFrames = 0;
    uint32_t audioBlocks = 0;
    std::vector<Idx1Entry> entries;
};

struct Avi1SetLayout {
    uint32_t sectorSize = 0;
    uint32_t headerSize = 0;                 // H
    MuxInputs inputs;                        // formats as prepared
    AviRunFigures run;                       // what is known when recording is prepared
    CommonIndexes* playbackIndex = nullptr;  // gets every chunk written, when set
};

class Avi1FileSet {
public:
    // Creates `count` files named from `baseName`. On failure the files made so far are
    // closed and those that did not exist before are deleted.
    HResult Create(MuxFileSystem& fs, const std::string& baseName, uint32_t count, CreateMode mode,
                   const Avi1SetLayout& layout);

    size_t Count() const { return files_.size(); }
    Avi1File& File(size_t index) { return files_[index]; }
    const Avi1SetLayout& Layout() const { return layout_; }

    // Marks the file used and gives it a provisional header, so that what reaches it is
    // readable even if the recording is never finished.
    HResult BeginFile(size_t index);
    // A frame duration learnt from the samples: the files begun so far get it in their
    // provisional headers, and so do the later ones.
    HResult SetFrameDuration(int64_t frameDuration);
    // Sets the final length of a file the stream leaves: header, movi and idx1 so far.
    HResult CloseFull(size_t index);
    // Appends one batch of one stream to the file's movi data and its index entries.
    HResult AppendBatch(size_t index, const std::vector<RecordPtr>& records, const BatchStream& stream,
                        bool zeroFillJunk);

    // Writes idx1 and header of every used file, in order; the first failure is returned,
    // the other files are still finished.
    HResult Finish(const MuxInputs& inputs, const AviRunFigures& run, uint32_t videoStart, uint32_t audioStart);
    // Closes every file and deletes those never used.
    void Release();
    // Closes every file and leaves them all as they are.
    void Abandon();
    // Closes every file and deletes those this recording made.
    void Discard();

private:
    HResult WriteProvisionalHeader(Avi1File& file);
    HResult WriteRegion(Avi1File& file, uint64_t offset, uint32_t length, const std::function<void(uint8_t*)>& build);
    HResult FinishFile(Avi1File& file, const MuxInputs& inputs, const AviRunFigures& run, uint32_t videoStart,
                       uint32_t audioStart);
    HResult Abort(HResult hr);
    void CloseAndDelete(bool deleteUnused);

    MuxFileSystem* fs_ = nullptr;
    Avi1SetLayout layout_;
    std::vector<Avi1File> files_;
    std::shared_ptr<SectorBufferPool> batchBuffers_;  // for batches of several records
};

}  // namespace trelvox
