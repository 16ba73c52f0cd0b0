// Faults a test can ask of the stand-in filters, as a badly written third-party
// filter would show them: non-zero DWORD values under HKCU\Software\StandinCodecs.
#pragma once

#include <windows.h>

namespace standin {

enum class Fault {
    OversizedFormat,  // "OversizedFormat": offered wave formats claim extra bytes they lack
    FailingSave,      // "FailingSave": IPersistStream::Save fails as on a full disk
    UntimedOutput,    // "UntimedOutput": the compressed video type leaves AvgTimePerFrame at 0
};

bool FaultWanted(Fault fault);

}  // namespace standin
