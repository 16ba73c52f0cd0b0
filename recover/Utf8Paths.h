// The tool names files in UTF-8 on every system; std::filesystem takes the system's own
// encoding from a plain string (the ANSI code page on Windows), so names go through these.
#pragma once

#include <filesystem>
#include <string>

namespace trelvox::recover {

std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace trelvox::recover
