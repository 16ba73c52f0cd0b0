// One interrupted recording repaired: scanned, rebuilt beside the target as
// TARGET.recovering and renamed over the target once complete. The input stays as it
// is unless it is the target and the repair succeeded.
#pragma once

#include <string>
#include <vector>

#include "MuxFile.h"
#include "RecordingRebuild.h"
#include "RecordingScan.h"

namespace trelvox::recover {

enum class RepairResult { Repaired, AlreadyFinished, CannotOpen, NotUnderstood, Failed, Stopped };

struct RepairOutcome {
    RepairResult result = RepairResult::Failed;
    RecordingScan scan;   // what was found, when the file could be read as a recording
    std::string problem;  // why not, for every result but Repaired and AlreadyFinished
};

constexpr char kTemporarySuffix[] = ".recovering";

RepairOutcome RepairRecording(const std::string& path, const std::string& target, MuxFileSystem& fs,
                              const RebuildProgress& progress = {});

// name000.avi ... name999.avi beside a set's file `path` that are empty (made in
// advance, never used) are removed; returns their paths.
std::vector<std::string> RemoveUnusedSetFiles(const std::string& path);

}  // namespace trelvox::recover
