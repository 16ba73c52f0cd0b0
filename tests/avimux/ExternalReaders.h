// ffprobe and ffmpeg, run on real files for an independent judgement (host only).
#pragma once

#include <map>
#include <string>

namespace trelvox::test {

struct CommandResult {
    int status;
    std::string output;
};

CommandResult RunCommand(const std::string& command);

// ffprobe's flat output: streams.stream.0.codec_name="rawvideo" -> {"0.codec_name", "rawvideo"}.
std::map<std::string, std::string> Probe(const std::string& file);

// Decodes the file (or the part the options choose); returns ffmpeg's error output
// (empty when all is well).
std::string DecodeErrors(const std::string& file, const std::string& seek = "", const std::string& limit = "");

}  // namespace trelvox::test
