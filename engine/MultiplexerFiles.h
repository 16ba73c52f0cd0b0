// What Trelvox tells of the recording it writes, for the note that lets an interrupted
// recording be repaired at the next start.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <optional>
#include <string>

namespace engine {

struct MultiplexerFiles {
    std::wstring base;     // the name it was given: drive, folder and base name
    bool fileSet = false;  // a numbered set of AVI 1.0 files rather than one file
};

// Empty when the multiplexer is not Trelvox (only its files can be repaired) or has no
// file name yet.
std::optional<MultiplexerFiles> TrelvoxFilesOf(IBaseFilter* multiplexer);

}  // namespace engine
