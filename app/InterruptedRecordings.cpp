#include "InterruptedRecordings.h"

#include "../framework/App.h"
#include "../framework/Resources.h"
#include "RepairProgressDlg.h"
#include "core/RecordingNote.h"
#include "core/RepairTexts.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HoldsData(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0);
}

// The files that were written to; a set's files made in advance and never used are empty.
std::vector<std::wstring> FilesWithData(const RecordingNote& note)
{
    std::vector<std::wstring> files = ExistingRecordingFiles(note, FileExists);
    files.erase(std::remove_if(files.begin(), files.end(), [](const std::wstring& f) { return !HoldsData(f); }),
                files.end());
    return files;
}

// A recording killed before it wrote anything: the files its set made in advance go with
// its note.
void DeleteEmptyFiles(const RecordingNote& note)
{
    for (const std::wstring& file : ExistingRecordingFiles(note, FileExists))
        if (!HoldsData(file))
            DeleteFileW(file.c_str());
}

// Added to the report the recording had when it started; nothing when it is gone.
void AppendToReport(const std::wstring& reportPath, const std::string& lines)
{
    if (reportPath.empty() || !FileExists(reportPath))
        return;
    if (FILE* report = _wfopen(reportPath.c_str(), L"ab")) {
        std::fwrite(lines.data(), 1, lines.size(), report);
        std::fclose(report);
    }
}

// Repairs the files with the progress window; false when a file was left as it was
// (the user cancelled, or it could not be repaired): the question comes again next time.
bool Repair(const RecordingNote& note, const std::vector<std::wstring>& files)
{
    CRepairProgressDlg progress(files, note.mode == MuxFileMode::FileSet);
    progress.DoModal(FwApp::Current()->MainWnd()->Handle());
    const std::vector<RepairedFile>& results = progress.Results();
    // No results at all: the window could not be shown, nothing was done.
    const bool allDone = results.size() == files.size() && EveryFileSound(results);
    if (allDone)
        AppendToReport(note.reportPath, ReportRepairedLines(results));
    FwMessageBox(RepairSummary(results), allDone ? MB_ICONINFORMATION : MB_ICONEXCLAMATION);
    return allDone;
}

}  // namespace

void OfferRepairOfInterruptedRecordings(ProfileStore& profile)
{
    RecordingNotes notes(profile);
    for (const RecordingNote& note : notes.Read()) {
        const std::vector<std::wstring> files = FilesWithData(note);
        if (files.empty()) {
            DeleteEmptyFiles(note);
            notes.Remove(note.muxBase);
            continue;
        }
        switch (FwMessageBox(RepairQuestion(files), MB_YESNOCANCEL | MB_ICONWARNING)) {
        case IDYES:
            if (Repair(note, files))
                notes.Remove(note.muxBase);
            break;
        case IDCANCEL:
            AppendToReport(note.reportPath, ReportNotRepairedLines());
            notes.Remove(note.muxBase);
            break;
        default:  // kept: asked again at the next start
            break;
        }
    }
}
