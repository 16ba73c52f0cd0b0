// What Tavrik says about an interrupted recording: the question at start-up, the
// result of the repair, and the lines added to the recording's report.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FileRepair {
    Repaired,
    AlreadyFinished,  // the file had been finished: left as it is
    Failed,           // left as it is
    Stopped,          // the user cancelled: left as it is
};

struct RepairedFile {
    std::wstring path;
    FileRepair result = FileRepair::Failed;
    uint32_t frames = 0;  // video frames recovered, null frames among them
    uint32_t nullFrames = 0;
};

// Every file repaired, or finished already: none left as it was.
bool EveryFileSound(const std::vector<RepairedFile>& files);

// Asks whether to repair the files now; says which button forgets the recording.
std::wstring RepairQuestion(const std::vector<std::wstring>& files);
// Frames recovered and null frames per file, or why a file was left as it was; with a
// file left so, that the question comes again at the next start.
std::wstring RepairSummary(const std::vector<RepairedFile>& files);

// The report's lines after the header it had when the recording started (CR LF, UTF-8).
std::string ReportRepairedLines(const std::vector<RepairedFile>& files);
std::string ReportNotRepairedLines();
