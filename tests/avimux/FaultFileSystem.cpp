#include "FaultFileSystem.h"

#include <cstring>

namespace trelvox::test {

class FaultFile : public MuxFile {
 public:
  FaultFile(FaultFileSystem& fs, std::string path, std::unique_ptr<MuxFile> inner)
      : fs_(fs), path_(std::move(path)), inner_(std::move(inner)) {}

  HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) override {
    const HResult hr = fs_.Next(FaultOperation::Write);
    if (Failed(hr)) return hr;
    const HResult written = inner_->Write(offset, data, length);
    if (Succeeded(written)) fs_.CountChunks(path_, data, length);
    return written;
  }
  HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) override {
    return inner_->Read(offset, data, length, read);
  }
  HResult SetEnd(uint64_t length) override {
    const HResult hr = fs_.Next(FaultOperation::SetEnd);
    return Failed(hr) ? hr : inner_->SetEnd(length);
  }
  HResult Close() override {
    const HResult hr = fs_.Next(FaultOperation::Close);
    const HResult closed = inner_->Close();
    return Failed(hr) ? hr : closed;
  }

 private:
  FaultFileSystem& fs_;
  std::string path_;
  std::unique_ptr<MuxFile> inner_;
};

HResult FaultFileSystem::Next(FaultOperation operation) {
  if (++operations_ != failAt_) return kS_OK;
  injected_ = true;
  injectedOperation_ = operation;
  return error_;
}

// A write of movi data starts with a chunk: walk its chunks and JUNK to the end.
void FaultFileSystem::CountChunks(const std::string& path, const uint8_t* data, uint32_t length) {
  for (uint64_t at = 0; at + 8 <= length;) {
    uint32_t size;
    std::memcpy(&size, data + at + 4, 4);
    const bool video = std::memcmp(data + at, "00dc", 4) == 0 || std::memcmp(data + at, "00db", 4) == 0;
    const bool audio = std::memcmp(data + at + 2, "wb", 2) == 0 && data[at] == '0';
    if (!video && !audio && std::memcmp(data + at, "JUNK", 4) != 0) return;
    if (video) ++videoChunks_[path];
    at += 8ull + size + (size & 1u);
  }
}

int FaultFileSystem::VideoChunksWritten(const std::string& path) const {
  const auto found = videoChunks_.find(path);
  return found == videoChunks_.end() ? 0 : found->second;
}

HResult FaultFileSystem::SectorSize(const std::string& path, uint32_t* bytes) {
  const HResult hr = Next(FaultOperation::Query);
  return Failed(hr) ? hr : inner_.SectorSize(path, bytes);
}

HResult FaultFileSystem::Create(const std::string& path, CreateMode mode,
                                std::unique_ptr<MuxFile>* file, bool* existed) {
  const HResult hr = Next(FaultOperation::Create);
  if (Failed(hr)) return hr;
  std::unique_ptr<MuxFile> inner;
  const HResult created = inner_.Create(path, mode, &inner, existed);
  if (Failed(created)) return created;
  file->reset(new FaultFile(*this, path, std::move(inner)));
  return kS_OK;
}

HResult FaultFileSystem::Delete(const std::string& path) {
  videoChunks_.erase(path);
  return inner_.Delete(path);
}

}  // namespace trelvox::test
