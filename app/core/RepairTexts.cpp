#include "RepairTexts.h"

#include "../../engine/core/ReportText.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t kFilesNamed = 5;  // more are counted, not named

std::wstring FileList(const std::vector<std::wstring>& files)
{
    std::wstring list;
    for (size_t i = 0; i < files.size() && i < kFilesNamed; ++i)
        list += L"  " + files[i] + L"\n";
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

// The report's own line form: CR LF, UTF-8.
std::string CrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

std::wstring RepairQuestion(const std::vector<std::wstring>& files)
{
    return L"前回の録画は、停止されないまま中断されました (異常終了または電源断)。\n"
           L"次のファイルは、このままでは再生できないことがあります。\n\n" +
           FileList(files) +
           L"\n今すぐ修復しますか?\n\n"
           L"[はい]\t修復します。\n"
           L"[いいえ]\t今回は修復しません。次回の起動時にもう一度確認します。\n"
           L"[キャンセル]\t修復せず、この録画のことは今後確認しません。";
}

std::wstring RepairSummary(const std::vector<RepairedFile>& files)
{
    const auto left = [](const RepairedFile& f) {
        return f.result == FileRepair::Failed || f.result == FileRepair::Stopped;
    };
    const bool stopped = std::any_of(files.begin(), files.end(),
                                     [](const RepairedFile& f) { return f.result == FileRepair::Stopped; });
    std::wstring text = stopped ? L"中断された録画の修復を中止しました。\n" : L"中断された録画の修復が終わりました。\n";
    for (const RepairedFile& file : files)
        text += L"\n" + file.path + L"\n  " + Outcome(file) + L"\n";
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
    return CrLf(text);
}

std::string ReportNotRepairedLines()
{
    return CrLf("\nInterrupted Recording. Tavrik ended without stopping it; not repaired.\n");
}
