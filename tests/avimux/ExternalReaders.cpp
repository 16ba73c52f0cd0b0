#include "ExternalReaders.h"

#include <cstdio>

namespace trelvox::test {

CommandResult RunCommand(const std::string& command)
{
    CommandResult result{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    result.status = pclose(pipe);
    return result;
}

std::map<std::string, std::string> Probe(const std::string& file)
{
    const CommandResult r =
        RunCommand("ffprobe -v error -show_streams -count_frames -count_packets -of flat '" + file + "'");
    std::map<std::string, std::string> values;
    size_t at = 0;
    while (at < r.output.size()) {
        size_t end = r.output.find('\n', at);
        if (end == std::string::npos)
            end = r.output.size();
        const std::string line = r.output.substr(at, end - at);
        at = end + 1;
        const std::string prefix = "streams.stream.";
        const size_t eq = line.find('=');
        if (line.rfind(prefix, 0) != 0 || eq == std::string::npos)
            continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"')
            value = value.substr(1, value.size() - 2);
        values[line.substr(prefix.size(), eq - prefix.size())] = value;
    }
    return values;
}

std::string DecodeErrors(const std::string& file, const std::string& seek, const std::string& limit)
{
    const CommandResult r =
        RunCommand("ffmpeg -nostdin -v error " + seek + " -i '" + file + "' " + limit + " -f null - 2>&1");
    return r.status == 0 ? r.output : "exit status " + std::to_string(r.status) + ": " + r.output;
}

}  // namespace trelvox::test
