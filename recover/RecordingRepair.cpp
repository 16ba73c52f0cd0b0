#include "RecordingRepair.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "InputFile.h"
#include "Utf8Paths.h"

namespace trelvox::recover {
namespace {

namespace fs = std::filesystem;

RepairOutcome Outcome(RepairResult result, RecordingScan scan, std::string problem)
{
    return {result, std::move(scan), std::move(problem)};
}

}  // namespace

RepairOutcome RepairRecording(const std::string& path, const std::string& target, MuxFileSystem& muxFs,
                              const RebuildProgress& progress)
{
    InputFile in;
    if (!in.Open(path))
        return Outcome(RepairResult::CannotOpen, {}, "cannot be opened");
    RecordingScan scan;
    std::string problem;
    if (!ScanRecording(in, &scan, &problem))
        return Outcome(RepairResult::NotUnderstood, scan, problem);
    if (scan.finished)
        return Outcome(RepairResult::AlreadyFinished, std::move(scan), "");
    const std::string temporary = target + kTemporarySuffix;
    const HResult hr = RebuildRecording(in, scan, muxFs, temporary, progress);
    in.Close();
    if (hr == kE_ABORT)
        return Outcome(RepairResult::Stopped, std::move(scan), "stopped before the end");
    if (Failed(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "%08x", static_cast<unsigned>(hr));
        return Outcome(RepairResult::Failed, std::move(scan), "writing " + temporary + " failed (" + code + ")");
    }
    std::error_code ec;
    fs::rename(PathFromUtf8(temporary), PathFromUtf8(target), ec);
    if (ec) {
        fs::remove(PathFromUtf8(temporary), ec);
        return Outcome(RepairResult::Failed, std::move(scan), temporary + " cannot take the name " + target);
    }
    return Outcome(RepairResult::Repaired, std::move(scan), "");
}

std::vector<std::string> RemoveUnusedSetFiles(const std::string& path)
{
    std::vector<std::string> removed;
    const fs::path p = PathFromUtf8(path);
    const std::string name = Utf8FromPath(p.filename());
    constexpr size_t kNumbered = 7;  // "NNN.avi"
    if (name.size() <= kNumbered || name.compare(name.size() - 4, 4, ".avi") != 0)
        return removed;
    const std::string digits = name.substr(name.size() - kNumbered, 3);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return removed;
    const std::string base = name.substr(0, name.size() - kNumbered);
    for (int i = 0; i < 1000; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d.avi", i);
        const fs::path sibling = p.parent_path() / PathFromUtf8(base + number);
        std::error_code ec;
        if (!fs::is_regular_file(sibling, ec) || fs::file_size(sibling, ec) != 0 || ec)
            continue;
        if (fs::remove(sibling, ec))
            removed.push_back(Utf8FromPath(sibling));
    }
    return removed;
}

}  // namespace trelvox::recover
