// Writes batches of one stream into that stream's current file of an AVI 1.0 set and
// moves the stream to the next file when the size limit or a split batch asks for it.
#pragma once

#include <cstdint>
#include <vector>

#include "Avi1FileSet.h"
#include "MuxSettings.h"
#include "MuxTypes.h"
#include "SplitRules.h"

namespace trelvox {

// Result of a write that found no file left to move to.
constexpr HResult kFilesFull = kS_FALSE;

class Avi1Writer {
 public:
  Avi1Writer(Avi1FileSet& files, const MuxSettings& settings, bool videoConnected,
             uint32_t blockAlign);

  // S_OK, kFilesFull, or the failure of a file operation.
  HResult Write(StreamKind stream, std::vector<RecordPtr> records, bool splitBatch);

 private:
  struct StreamState {
    size_t currentFile = 0;
  };

  bool IsFull(const Avi1File& file, const std::vector<RecordPtr>& records) const;
  HResult MoveToNextFile(StreamState& state);
  void PutHeldFrameFirst(std::vector<RecordPtr>& records);
  void KeepHeldFrame(const std::vector<RecordPtr>& records);

  Avi1FileSet& files_;
  const MuxSettings settings_;
  const bool videoConnected_;
  const uint32_t blockAlign_;
  StreamState video_, audio_;
  RecordPtr held_;  // the last real video sample written
};

}  // namespace trelvox
