#include "Avi1Writer.h"

#include <new>

#include "Padding.h"

namespace trelvox {

Avi1Writer::Avi1Writer(Avi1FileSet& files, const MuxSettings& settings, bool videoConnected,
                       uint32_t blockAlign)
    : files_(files), settings_(settings), videoConnected_(videoConnected), blockAlign_(blockAlign) {}

bool Avi1Writer::IsFull(const Avi1File& file, const std::vector<RecordPtr>& records) const {
  const Avi1SetLayout& layout = files_.Layout();
  const BatchSize batch = MeasureBatch(records, layout.sectorSize);
  uint64_t bytes = batch.bytes;
  if (held_) bytes += PaddedLength(SampleChunkBytes(held_->size), layout.sectorSize);
  const uint64_t total = static_cast<uint64_t>(file.moviBytes) + 16ull * batch.chunks +
                         layout.headerSize + file.idx1Bytes + layout.sectorSize + bytes;
  return total >= settings_.maxFileSize;
}

HResult Avi1Writer::MoveToNextFile(StreamState& state) {
  const HResult hr = files_.CloseFull(state.currentFile);
  if (Failed(hr)) return hr;
  if (state.currentFile + 1 >= files_.Count()) return kFilesFull;
  ++state.currentFile;
  return files_.File(state.currentFile).used ? kS_OK : files_.BeginFile(state.currentFile);
}

// A new file should not begin with a dropped frame: one null frame of the leading run
// becomes the last picture written.
void Avi1Writer::PutHeldFrameFirst(std::vector<RecordPtr>& records) {
  if (!held_ || records.empty() || !records.front()->IsNullRun()) return;
  const uint32_t frames = records.front()->frames;
  if (frames == 1) {
    records.front() = held_;
  } else {
    RecordPtr shorter = MakeNullRun(frames - 1);
    if (!shorter) throw std::bad_alloc();
    records.front() = shorter;
    records.insert(records.begin(), held_);
  }
  held_.reset();
}

void Avi1Writer::KeepHeldFrame(const std::vector<RecordPtr>& records) {
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (!(*it)->IsNullRun()) {
      held_ = *it;
      return;
    }
  }
}

HResult Avi1Writer::Write(StreamKind stream, std::vector<RecordPtr> records, bool splitBatch) {
  if (records.empty()) return kS_OK;
  const bool video = stream == StreamKind::Video;
  StreamState& state = video ? video_ : audio_;
  if (splitBatch || IsFull(files_.File(state.currentFile), records)) {
    const HResult hr = MoveToNextFile(state);
    if (hr != kS_OK) return hr;
    if (video && settings_.firstFrameNotDropped) PutHeldFrameFirst(records);
  }
  BatchStream batchStream{video, videoConnected_, blockAlign_};
  const HResult hr = files_.AppendBatch(state.currentFile, records, batchStream,
                                        settings_.zeroFillJunk != 0);
  if (Succeeded(hr) && video) KeepHeldFrame(records);
  return hr;
}

}  // namespace trelvox
