#include "RepairProgressDlg.h"

#include "../resources/tavrik/resource.h"
#include "RecordingRepair.h"
#include "Utf8Path.h"
#include "Win32FileSystem.h"

#include <commctrl.h>

#include <optional>

namespace {

enum RepairMessage : UINT {
    kFileStarted = WM_APP + 20,  // wParam: index of the file
    kProgress,                   // wParam: per mille of all files
    kFinished,
};
constexpr int kPermille = 1000;

uint64_t FileBytes(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The name in UTF-8, as the recover library takes it; nothing for a name that is not valid UTF-16.
std::optional<std::string> Utf8Path(const std::wstring& path)
{
    std::string utf8;
    if (trelvox::Failed(trelvox::Utf8FromWide(path, &utf8)))
        return std::nullopt;
    return utf8;
}

FileRepair FromOutcome(trelvox::recover::RepairResult result)
{
    using trelvox::recover::RepairResult;
    switch (result) {
    case RepairResult::Repaired:
        return FileRepair::Repaired;
    case RepairResult::AlreadyFinished:
        return FileRepair::AlreadyFinished;
    case RepairResult::Stopped:
        return FileRepair::Stopped;
    default:
        return FileRepair::Failed;
    }
}

}  // namespace

CRepairProgressDlg::CRepairProgressDlg(std::vector<std::wstring> files, bool fileSet)
    : FwDialog(IDD_REPAIR_PROGRESS),
      files_(std::move(files)),
      fileSet_(fileSet)
{
    for (const std::wstring& file : files_) {
        sizes_.push_back(FileBytes(file));
        totalBytes_ += sizes_.back();
    }
}

CRepairProgressDlg::~CRepairProgressDlg()
{
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
}

bool CRepairProgressDlg::OnInitDialog()
{
    SendDlgItemMessageW(Handle(), IDC_REPAIR_PROGRESS, PBM_SETRANGE32, 0, kPermille);
    results_.clear();
    worker_ = std::thread([this] { RepairAll(); });
    return true;
}

INT_PTR CRepairProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kFileStarted:
        SetDlgItemTextW(Handle(), IDC_REPAIR_FILE, files_[wParam].c_str());
        return TRUE;
    case kProgress:
        SendDlgItemMessageW(Handle(), IDC_REPAIR_PROGRESS, PBM_SETPOS, wParam, 0);
        return TRUE;
    case kFinished:
        worker_.join();
        EndDialog(Handle(), IDOK);
        return TRUE;
    case WM_COMMAND:
        // Cancel and Esc ask the worker to stop; it ends the dialog.
        if (LOWORD(wParam) == IDCANCEL) {
            stop_ = true;
            EnableWindow(GetDlgItem(Handle(), IDCANCEL), FALSE);
            SetDlgItemTextW(Handle(), IDC_REPAIR_FILE, L"中止しています...");
        }
        return TRUE;
    default:
        return FwDialog::OnMessage(message, wParam, lParam);
    }
}

void CRepairProgressDlg::RepairAll()
{
    uint64_t bytesBefore = 0;
    for (size_t i = 0; i < files_.size(); ++i) {
        if (stop_) {
            results_.push_back({files_[i], FileRepair::Stopped});
            continue;
        }
        PostMessageW(Handle(), kFileStarted, i, 0);
        results_.push_back(RepairOne(files_[i], sizes_[i], bytesBefore));
        bytesBefore += sizes_[i];
        PostProgress(bytesBefore);
    }
    if (fileSet_ && EveryFileSound(results_)) {
        if (const std::optional<std::string> first = Utf8Path(files_.front()))
            trelvox::recover::RemoveUnusedSetFiles(*first);
    }
    PostMessageW(Handle(), kFinished, 0, 0);
}

RepairedFile CRepairProgressDlg::RepairOne(const std::wstring& path, uint64_t fileBytes, uint64_t bytesBefore)
{
    RepairedFile repaired{path};
    const std::optional<std::string> utf8 = Utf8Path(path);
    if (!utf8)
        return repaired;
    trelvox::Win32FileSystem fs;
    const auto outcome = trelvox::recover::RepairRecording(*utf8, *utf8, fs, [&](uint64_t done, uint64_t total) {
        const double share = total ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
        PostProgress(bytesBefore + static_cast<uint64_t>(share * static_cast<double>(fileBytes)));
        return !stop_;
    });
    repaired.result = FromOutcome(outcome.result);
    repaired.frames = outcome.scan.videoFrames;
    repaired.nullFrames = outcome.scan.nullFrames;
    return repaired;
}

void CRepairProgressDlg::PostProgress(uint64_t bytesDone)
{
    const int permille = totalBytes_ ? static_cast<int>(bytesDone * kPermille / totalBytes_) : kPermille;
    if (permille == postedPermille_)
        return;
    postedPermille_ = permille;
    PostMessageW(Handle(), kProgress, static_cast<WPARAM>(permille), 0);
}
