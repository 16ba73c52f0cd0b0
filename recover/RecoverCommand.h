// trelvox-recover: the command line around scan and rebuild. Each file is repaired into
// --out or in place (through a temporary file and a rename); a finished file is left
// as it is. After an in-place repair of a file of a numbered set (name000.avi, ...),
// the empty files of that set, made in advance and never used, are removed.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "MuxFile.h"

namespace trelvox::recover {

enum ExitCode { kExitOk = 0, kExitUsage = 1, kExitNotUnderstood = 2, kExitFailed = 3 };

int RunRecover(const std::vector<std::string>& args, MuxFileSystem& fs, std::ostream& out, std::ostream& err);

}  // namespace trelvox::recover
