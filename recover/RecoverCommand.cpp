#include "RecoverCommand.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "RecordingRebuild.h"
#include "RecordingScan.h"
#include "Utf8Paths.h"

namespace trelvox::recover {
namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] = "usage: trelvox-recover [--out FILE] RECORDING.avi...\n";
constexpr char kTemporarySuffix[] = ".recovering";

void Report(const std::string& path, const RecordingScan& scan, std::ostream& out) {
  out << path << ": " << (scan.openDml ? "OpenDML" : "AVI 1.0") << ", " << scan.videoFrames
      << " video frames (" << scan.nullFrames << " null), " << scan.audioBlocks << " audio blocks in "
      << scan.audioChunks << " chunks, " << (scan.fileSize - scan.dataEnd) << " bytes after the last complete chunk\n";
}

// name000.avi ... name999.avi beside `path` that are empty: made in advance, never used.
void RemoveUnusedSetFiles(const std::string& path, std::ostream& out) {
  const fs::path p = PathFromUtf8(path);
  const std::string name = Utf8FromPath(p.filename());
  constexpr size_t kNumbered = 7;  // "NNN.avi"
  if (name.size() <= kNumbered || name.compare(name.size() - 4, 4, ".avi") != 0) return;
  const std::string digits = name.substr(name.size() - kNumbered, 3);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return;
  const std::string base = name.substr(0, name.size() - kNumbered);
  for (int i = 0; i < 1000; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%03d.avi", i);
    const fs::path sibling = p.parent_path() / PathFromUtf8(base + number);
    std::error_code ec;
    if (!fs::is_regular_file(sibling, ec) || fs::file_size(sibling, ec) != 0 || ec) continue;
    if (fs::remove(sibling, ec)) out << Utf8FromPath(sibling) << ": empty and unused, removed\n";
  }
}

int RecoverOne(const std::string& path, const std::string& target, MuxFileSystem& muxFs, std::ostream& out,
               std::ostream& err) {
  InputFile in;
  if (!in.Open(path)) {
    err << "trelvox-recover: " << path << ": cannot be opened\n";
    return kExitFailed;
  }
  RecordingScan scan;
  std::string problem;
  if (!ScanRecording(in, &scan, &problem)) {
    err << "trelvox-recover: " << path << ": " << problem << "; left as it is\n";
    return kExitNotUnderstood;
  }
  Report(path, scan, out);
  if (scan.finished) {
    out << path << ": finished normally, left as it is\n";
    return kExitOk;
  }
  const std::string temporary = target + kTemporarySuffix;
  const HResult hr = RebuildRecording(in, scan, muxFs, temporary);
  in.Close();
  if (Failed(hr)) {
    char code[16];
    std::snprintf(code, sizeof code, "%08x", static_cast<unsigned>(hr));
    err << "trelvox-recover: " << path << ": writing " << temporary << " failed (" << code << "); "
        << path << " left as it is\n";
    return kExitFailed;
  }
  std::error_code ec;
  fs::rename(PathFromUtf8(temporary), PathFromUtf8(target), ec);
  if (ec) {
    err << "trelvox-recover: " << temporary << " cannot take the name " << target << ": " << ec.message() << "\n";
    fs::remove(PathFromUtf8(temporary), ec);
    return kExitFailed;
  }
  out << target << ": written\n";
  return kExitOk;
}

}  // namespace

int RunRecover(const std::vector<std::string>& args, MuxFileSystem& muxFs, std::ostream& out, std::ostream& err) {
  std::string outPath;
  std::vector<std::string> inputs;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size()) {
      outPath = args[++i];
    } else if (!args[i].empty() && args[i][0] == '-') {
      err << kUsage;
      return kExitUsage;
    } else {
      inputs.push_back(args[i]);
    }
  }
  if (inputs.empty() || (!outPath.empty() && inputs.size() != 1)) {
    err << kUsage;
    return kExitUsage;
  }
  int result = kExitOk;
  for (const std::string& input : inputs) {
    const int one = RecoverOne(input, outPath.empty() ? input : outPath, muxFs, out, err);
    if (one == kExitOk && outPath.empty()) RemoveUnusedSetFiles(input, out);
    if (one > result) result = one;
  }
  return result;
}

}  // namespace trelvox::recover
