#include "RecoverCommand.h"

#include "RecordingRepair.h"

namespace trelvox::recover {
namespace {

constexpr char kUsage[] = "usage: trelvox-recover [--out FILE] RECORDING.avi...\n";

void Report(const std::string& path, const RecordingScan& scan, std::ostream& out)
{
    out << path << ": " << (scan.openDml ? "OpenDML" : "AVI 1.0") << ", " << scan.videoFrames << " video frames ("
        << scan.nullFrames << " null), " << scan.audioBlocks << " audio blocks in " << scan.audioChunks << " chunks, "
        << (scan.fileSize - scan.dataEnd) << " bytes after the last complete chunk\n";
}

int RecoverOne(const std::string& path, const std::string& target, MuxFileSystem& muxFs, std::ostream& out,
               std::ostream& err)
{
    const RepairOutcome outcome = RepairRecording(path, target, muxFs);
    switch (outcome.result) {
    case RepairResult::CannotOpen:
        err << "trelvox-recover: " << path << ": cannot be opened\n";
        return kExitFailed;
    case RepairResult::NotUnderstood:
        err << "trelvox-recover: " << path << ": " << outcome.problem << "; left as it is\n";
        return kExitNotUnderstood;
    default:
        break;
    }
    Report(path, outcome.scan, out);
    if (outcome.result == RepairResult::AlreadyFinished) {
        out << path << ": finished normally, left as it is\n";
        return kExitOk;
    }
    if (outcome.result != RepairResult::Repaired) {
        err << "trelvox-recover: " << outcome.problem << "; " << path << " left as it is\n";
        return kExitFailed;
    }
    out << target << ": written\n";
    return kExitOk;
}

}  // namespace

int RunRecover(const std::vector<std::string>& args, MuxFileSystem& muxFs, std::ostream& out, std::ostream& err)
{
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
        if (one == kExitOk && outPath.empty()) {
            for (const std::string& removed : RemoveUnusedSetFiles(input))
                out << removed << ": empty and unused, removed\n";
        }
        if (one > result)
            result = one;
    }
    return result;
}

}  // namespace trelvox::recover
