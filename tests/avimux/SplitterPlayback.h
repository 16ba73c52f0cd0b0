// Playing a file back through the platform's own AVI splitter, as an independent reader.
#pragma once

#include <string>

// Video frames that the platform's AVI splitter delivers from a file (it passes over
// empty chunks); negative when the playback graph cannot be built or run.
int FramesPlayedBack(const std::wstring& file);
