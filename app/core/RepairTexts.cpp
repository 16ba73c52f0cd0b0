#include "RepairTexts.h"

#include "../../engine/core/ReportText.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t kFilesNamed = 5;  // more are counted, not named

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The folder once, then the file names: a long path would not fit a message box.
struct Listing {
    std::wstring folderLine;
    std::vector<std::wstring> names;
};

Listing ListFiles(const std::vector<std::wstring>& paths)
{
    const std::wstring folder = paths.empty() ? std::wstring() : FolderOf(paths.front());
    const bool oneFolder = !folder.empty() && std::all_of(paths.begin(), paths.end(),
                                                          [&](const std::wstring& p) { return FolderOf(p) == folder; });
    Listing listing{oneFolder ? L"フォルダー: " + folder + L"\n" : L"", {}};
    for (const std::wstring& path : paths)
        listing.names.push_back(oneFolder ? path.substr(folder.size()) : path);
    return listing;
}

std::wstring FileList(const std::vector<std::wstring>& files)
{
    const Listing listing = ListFiles(files);
    std::wstring list = listing.folderLine;
    for (size_t i = 0; i < listing.names.size() && i < kFilesNamed; ++i)
        list += L"  " + listing.names[i] + L"\n";
    if (files.size() > kFilesNamed)
        list += L"  ほか " + std::to_wstring(files.size() - kFilesNamed) + L" ファイル\n";
    return list;
}

std::wstring Outcome(const RepairedFile& file)
{
    switch (file.result) {
    case FileRepair::Repaired:
        return L"復元したフレーム " + std::to_wstring(file.frames) + L" (うちヌルフレーム " +
               std::to_wstring(file.nullFrames) + L")";
    case FileRepair::AlreadyFinished:
        return L"正常に終了しているため、そのままにしました。";
    case FileRepair::Stopped:
        return L"修復を中止しました。元のままです。";
    case FileRepair::Failed:
        break;
    }
    return L"修復できませんでした。元のままです。";
}

}  // namespace

bool EveryFileSound(const std::vector<RepairedFile>& files)
{
    return std::all_of(files.begin(), files.end(), [](const RepairedFile& f) {
        return f.result == FileRepair::Repaired || f.result == FileRepair::AlreadyFinished;
    });
}

std::wstring RepairQuestion(const std::vector<std::wstring>& files)
{
    return L"前回の録画は、停止されないまま中断されました (異常終了または電源断)。\n"
           L"次のファイルは、このままでは再生できないことがあります。\n\n" +
           FileList(files) +
           L"\n今すぐ修復しますか?\n\n"
           L"[はい] 修復します。\n"
           L"[いいえ] 今回は修復しません。次回の起動時にもう一度確認します。\n"
           L"[キャンセル] 修復せず、この録画のことは今後確認しません。";
}

std::wstring RepairSummary(const std::vector<RepairedFile>& files)
{
    const auto left = [](const RepairedFile& f) {
        return f.result == FileRepair::Failed || f.result == FileRepair::Stopped;
    };
    const bool stopped =
        std::any_of(files.begin(), files.end(), [](const RepairedFile& f) { return f.result == FileRepair::Stopped; });
    std::vector<std::wstring> paths;
    for (const RepairedFile& file : files)
        paths.push_back(file.path);
    const Listing listing = ListFiles(paths);
    std::wstring text =
        stopped ? L"中断された録画の修復を中止しました。\n\n" : L"中断された録画の修復が終わりました。\n\n";
    text += listing.folderLine;
    for (size_t i = 0; i < files.size(); ++i)
        text += L"  " + listing.names[i] + L": " + Outcome(files[i]) + L"\n";
    if (std::any_of(files.begin(), files.end(), left))
        text += L"\n次回の起動時にもう一度確認します。";
    return text;
}

std::string ReportRepairedLines(const std::vector<RepairedFile>& files)
{
    std::string text = "\nInterrupted Recording. Tavrik ended without stopping it; repaired at its next start.\n";
    char line[64];
    for (const RepairedFile& file : files) {
        const std::string path = engine::ToUtf8(file.path);
        if (file.result == FileRepair::Repaired) {
            std::snprintf(line, sizeof line, ": %u frames recovered (%u null)\n", file.frames, file.nullFrames);
            text += "Repaired file: " + path + line;
        } else if (file.result == FileRepair::AlreadyFinished) {
            text += "Finished file: " + path + "\n";
        } else {
            text += "Not repaired:  " + path + "\n";
        }
    }
    return engine::WithCrLf(text);
}

std::string ReportNotRepairedLines()
{
    return engine::WithCrLf("\nInterrupted Recording. Tavrik ended without stopping it; not repaired.\n");
}
