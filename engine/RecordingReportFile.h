// The recording report: the block the builds and the statistics fill in, and
// the ".log" file it is written to in three steps (header, then body or failure line).
#pragma once

#include "RecordingReport.h"

#include <windows.h>

#include <string>

class RecordingReportFile {
public:
    RecordingReportFile() = default;
    RecordingReportFile(const RecordingReportFile&) = delete;
    RecordingReportFile& operator=(const RecordingReportFile&) = delete;
    ~RecordingReportFile() { Close(); }

    // Clears the block and writes the header; an open failure gives the errno as an HRESULT.
    HRESULT Open(const std::wstring& reportPath, const std::wstring& recordingPath);
    // E_FAIL without an open file.
    HRESULT WriteBody();
    // The failure line, then the file is closed; E_FAIL without an open file.
    HRESULT WriteFailure(const std::wstring& message);
    // S_FALSE when none was open.
    HRESULT Close();
    bool IsOpen() const { return block_.file != nullptr; }

    RecordingReport& Block() { return block_; }
    const RecordingReport& Block() const { return block_; }

private:
    RecordingReport block_;
};
