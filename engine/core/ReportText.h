// The recording report's text: header, body and failure line, as the bytes
// that go into the ".log" file (CR LF line ends, texts in UTF-8).
#pragma once

#include "RecordingReport.h"
#include "tavrik_version.h"

#include <ctime>
#include <string>

namespace engine {

inline constexpr char kReportVersion[] = TAVRIK_VERSION_LINE;

// Title, local date and time of `now`, and the recording's path.
std::string ReportHeaderText(const std::tm& now, const std::wstring& recordingPath);
// Times, filters and the statistics of both streams; `start` and `end` are the
// local times of the report's start and end time.
std::string ReportBodyText(const RecordingReport& report, const std::tm& start, const std::tm& end);
std::string ReportFailureText(const std::wstring& message);

// The report's line ends: every "\n" becomes CR LF.
std::string WithCrLf(const std::string& text);
// UTF-16 (or UTF-32 where wchar_t is 32 bits) to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(const std::wstring& text);

}  // namespace engine
