// A long 1080i recording through the real Tavrik.exe from the simulated card into
// Trelvox, without compressors, previewing beside it. Prints the report's dropped
// frames and end offset, Tavrik's CPU per minute of media and its memory at the start
// and the end of the recording.
//   tavrik_record_bench [minutes] [folder]
// bench/record empties the files Trelvox has left from Linux as the recording goes, so
// the disk holds only the last few.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "../tests/app/TavrikProcess.h"
#include "../tests/engine/CardTestSupport.h"
#include "IMuxConfig.h"
#include "MuxGraphSupport.h"
#include "profiles/CurrentProfiles.h"

namespace {

constexpr WPARAM kRecordStart = 32781;
constexpr unsigned kMediaStop = 13;
// A minute of 1080i YUY2 is 7.5 GB, close to four of Trelvox's 2 GB files; its default of
// 40 files would end a long recording early.
DWORD FilesFor(double minutes)
{
    return static_cast<DWORD>(minutes * 4) + 10;
}

struct ProcessFigures {
    double cpuSeconds = 0;
    SIZE_T privateBytes = 0;
    SIZE_T workingSet = 0;
};

ProcessFigures Measure(DWORD processId)
{
    ProcessFigures figures;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return figures;
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        const auto seconds = [](const FILETIME& t) {
            return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
        };
        figures.cpuSeconds = seconds(kernel) + seconds(user);
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        figures.privateBytes = memory.PrivateUsage;
        figures.workingSet = memory.WorkingSetSize;
    }
    CloseHandle(process);
    return figures;
}

bool WriteBenchProfile(DWORD maxFiles)
{
    wchar_t localAppData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData);
    const std::wstring folder = std::wstring(localAppData) + L"\\Tavrik\\Data";
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    RecordProfile profile;
    profile.videoCompressor = {L"無圧縮", NullVideoDisplayName(), nullptr, nullptr};
    profile.audioCompressor = {L"PCM", NullAudioDisplayName(), nullptr, nullptr};
    profile.mux = {L"Pelkor AVI Mux", kMuxMonikerName, nullptr, nullptr};
    ComPtr<IMuxConfig> config;
    if (FAILED(BindMuxByMoniker(&profile.mux.filter)) || FAILED(profile.mux.filter.As(&config)) ||
        FAILED(config->SetMaxFiles(maxFiles)))
        return false;
    return SUCCEEDED(WriteRecordProfile(folder + L"\\CurrentRecord.dat", profile));
}

// Tells bench/record when to take the Linux figures: under Wine, GetProcessTimes and the
// private bytes of another process read 0.
void MarkMeasurement(const char* moment)
{
    std::printf("measure: %s\n", moment);
    std::fflush(stdout);
}

std::string ReportValue(const std::wstring& report, const std::string& label)
{
    std::ifstream file(report.c_str());
    for (std::string line; std::getline(file, line);) {
        if (line.rfind(label, 0) == 0)
            return line.substr(label.size());
    }
    return "?";
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const double minutes = argc > 1 ? _wtof(argv[1]) : 20.0;
    const DWORD maxFiles = FilesFor(minutes);
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(argc > 2 ? argv[2] : L"bench-record", MAX_PATH, full, nullptr);
    const std::wstring folder = full;
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const std::wstring base = folder + L"\\bench0000";
    DeleteRecording(base);
    for (int i = 40; i < static_cast<int>(maxFiles); ++i)
        DeleteFileW(NumberedFile(base, i).c_str());

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrik");
    ResetCard();
    SetCardValue(L"Input", L"1080i");
    WriteDword(L"RecordRule", 1);
    WriteString(L"DefaultRecordPath", folder);
    WriteDword(L"UseRecLog", 1);
    WriteString(L"RecordNamePrefix", L"bench");
    WriteDword(L"RecordNameRule", 4);
    if (!WriteBenchProfile(maxFiles)) {
        std::printf("the record profile could not be written\n");
        return 1;
    }

    TavrikRun run;
    HWND window = run.Window();
    const auto barState = [&] { return Text(Descendant(window, 1004)); };
    if (!window || !WaitFor([&] { return barState() == L"プレビュー中"; })) {
        std::printf("Tavrik does not preview\n");
        return 1;
    }
    PostMessageW(window, WM_COMMAND, kRecordStart, 0);
    if (!WaitFor([&] { return barState() == L"録画中"; })) {
        std::printf("Tavrik does not record\n");
        return 1;
    }
    Sleep(5000);
    const ProcessFigures start = Measure(run.Id());
    MarkMeasurement("start");
    const ULONGLONG begun = GetTickCount64();
    const ULONGLONG length = static_cast<ULONGLONG>(minutes * 60000);
    ULONGLONG lastProgress = begun;
    while (GetTickCount64() - begun < length && barState() == L"録画中") {
        Sleep(2000);
        if (GetTickCount64() - lastProgress >= 60000) {
            lastProgress = GetTickCount64();
            std::printf("%.1f min: %ls frames, %ls dropped on the bar\n", (lastProgress - begun) / 60000.0,
                        Text(Descendant(window, 1008)).c_str(), Text(Descendant(window, 1015)).c_str());
            std::fflush(stdout);
        }
    }
    const ProcessFigures end = Measure(run.Id());
    MarkMeasurement("end");
    const double measured = (GetTickCount64() - begun) / 60000.0;
    PostMessageW(window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(window), MAKELPARAM(0, kMediaStop));
    WaitFor([&] { return barState() == L"プレビュー中"; }, 600000);
    run.Close();

    const std::wstring report = base + L".log";
    std::printf("recorded %.2f min of 1080i (measured %.2f min between the samples)\n", minutes, measured);
    std::printf("report: total frame%s, drop frame%s, video end offset%s\n",
                ReportValue(report, "Total frame:").c_str(), ReportValue(report, "Drop frame:").c_str(),
                ReportValue(report, "End offset:").c_str());
    if (end.cpuSeconds > start.cpuSeconds)
        std::printf("Tavrik CPU: %.1f s per minute of media\n", (end.cpuSeconds - start.cpuSeconds) / measured);
    if (end.privateBytes > 0)
        std::printf("Tavrik memory: private %.1f MB -> %.1f MB\n", start.privateBytes / 1e6, end.privateBytes / 1e6);
    std::printf("Tavrik working set: %.1f MB -> %.1f MB\n", start.workingSet / 1e6, end.workingSet / 1e6);
    DeleteRecording(base);
    for (int i = 40; i < static_cast<int>(maxFiles); ++i)
        DeleteFileW(NumberedFile(base, i).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrik");
    ResetCard();
    CoUninitialize();
    return 0;
}
