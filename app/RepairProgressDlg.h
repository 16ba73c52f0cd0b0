// The repair of an interrupted recording's files on a worker thread, with a progress
// bar and a cancel button. Cancelling stops between two batches: the file being
// repaired and the ones after it stay as they were. A set's empty files, made in
// advance and never used, go once every file is repaired.
#pragma once

#include "../framework/Dialog.h"
#include "core/RepairTexts.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class CRepairProgressDlg : public FwDialog {
public:
    CRepairProgressDlg(std::vector<std::wstring> files, bool fileSet);
    ~CRepairProgressDlg() override;

    // One entry per file, once the dialog has ended.
    const std::vector<RepairedFile>& Results() const { return results_; }

protected:
    bool OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // On the worker thread.
    void RepairAll();
    RepairedFile RepairOne(const std::wstring& path, uint64_t fileBytes, uint64_t bytesBefore);
    void PostProgress(uint64_t bytesDone);

    std::vector<std::wstring> files_;
    bool fileSet_;
    std::vector<uint64_t> sizes_;  // before the repair
    std::vector<RepairedFile> results_;
    uint64_t totalBytes_ = 0;
    int postedPermille_ = -1;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};
