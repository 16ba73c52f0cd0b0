#include "MuxGraphSupport.h"

#include "TestFilters.h"
#include "profiles/FilterEntry.h"

HRESULT BindMuxByMoniker(IBaseFilter** filter)
{
    return BindFilterByDisplayName(kMuxMonikerName, filter);
}

ComPtr<IPin> PinByName(IBaseFilter* filter, const wchar_t* name)
{
    ComPtr<IPin> pin;
    filter->FindPin(name, &pin);
    return pin;
}

std::wstring RecordingPath(const wchar_t* name)
{
    CreateDirectoryW(L"recordings", nullptr);
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW((std::wstring(L"recordings\\") + name).c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::wstring NumberedFile(const std::wstring& base, int index)
{
    std::wstring digits = std::to_wstring(index);
    digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, L'0');
    return base + digits + L".avi";
}

void DeleteRecording(const std::wstring& base)
{
    for (int i = 0; i < 40; ++i)
        DeleteFileW(NumberedFile(base, i).c_str());
    DeleteFileW((base + L".avi").c_str());
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

LONGLONG FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring ProgramBeside(const wchar_t* name)
{
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring self(exe);
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

// Under Wine the process handle is signalled while the killed Unix process may still
// finish a write in progress (seen: 2.4 MB more after the wait); on Windows the wait
// alone would do. The file counts once its size has stood still for a second.
void WaitUntilSettled(const std::wstring& file)
{
    constexpr int kStillPolls = 10, kMaxPolls = 300;
    constexpr DWORD kPollMs = 100;
    LONGLONG size = FileSize(file);
    for (int still = 0, polls = 0; still < kStillPolls && polls < kMaxPolls; ++polls) {
        Sleep(kPollMs);
        const LONGLONG now = FileSize(file);
        still = now == size ? still + 1 : 0;
        size = now;
    }
}

bool RecordInChildAndTerminate(const std::wstring& arguments, const std::wstring& file, LONGLONG bytes, DWORD timeoutMs)
{
    const std::wstring child = ProgramBeside(L"trelvox_record_child.exe");
    std::wstring command = L"\"" + child + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(child.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (FileSize(file) < bytes && GetTickCount64() < deadline &&
           WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    WaitUntilSettled(file);
    return exitCode == STILL_ACTIVE;
}

HRESULT MuxGraph::Create()
{
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
    if (FAILED(hr))
        return hr;
    graph.As(&control);
    graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(events.GetAddressOf()));
    // Our EC_COMPLETE reaches the queue as it is, not counted against renderers.
    return events->CancelDefaultHandling(EC_COMPLETE);
}

HRESULT MuxGraph::Build(IBaseFilter* source, IBaseFilter* mux)
{
    HRESULT hr = Create();
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = graph->AddFilter(source, L"Test Source")) || FAILED(hr = graph->AddFilter(mux, L"Pelkor AVI Mux")))
        return hr;
    for (const wchar_t* name : {L"Video", L"Audio"}) {
        ComPtr<IPin> out = PinByName(source, name);
        if (!out)
            continue;
        hr = graph->ConnectDirect(out.Get(), PinByName(mux, name).Get(), nullptr);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

void MuxGraph::DrainEvents()
{
    while (WaitForEvent(-1, 0)) {
    }
}

bool MuxGraph::WaitForEvent(long code, DWORD timeoutMs, LONG_PTR* param1)
{
    // Short polls: Wine's GetEvent may give up before its timeout.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        long got = 0;
        LONG_PTR p1 = 0, p2 = 0;
        if (events->GetEvent(&got, &p1, &p2, 20) == S_OK) {
            events->FreeEventParams(got, p1, p2);
            if (code == -1 || got == code) {
                if (param1)
                    *param1 = p1;
                return true;
            }
        }
    } while (GetTickCount64() < deadline);
    return false;
}
