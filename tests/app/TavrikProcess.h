// Starting the real Tavrik.exe from a test, finding its windows and reading
// and writing its settings in the registry.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavrik_test {

inline constexpr wchar_t kClass[] = L"TavrikMainWnd";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Tavrik\\Tavrik\\Settings";
inline constexpr DWORD kPatience = 30000;

inline std::wstring BinFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// A path relative to the test's working folder made absolute.
inline std::wstring FullPath(const std::wstring& relative)
{
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return full;
}

struct FoundWindow {
    DWORD process;
    const wchar_t* className;
    HWND window;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto* found = reinterpret_cast<FoundWindow*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (process == found->process && wcscmp(name, found->className) == 0 && IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

inline HWND WindowOf(DWORD process, const wchar_t* className)
{
    FoundWindow found{process, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

inline int CountMainWindows()
{
    int count = 0;
    for (HWND w = FindWindowW(kClass, nullptr); w; w = FindWindowExW(nullptr, w, kClass, nullptr))
        ++count;
    return count;
}

template <typename Condition>
inline bool WaitFor(Condition condition, DWORD milliseconds = kPatience)
{
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (condition())
            return true;
        Sleep(50);
    }
    return condition();
}

// One run of the program, ended by a close request.
class TavrikRun {
public:
    explicit TavrikRun(const std::wstring& exe = BinFolder() + L"Tavrik.exe")
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + exe + L"\"";
        started_ = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  BinFolder().c_str(), &startup, &process_);
    }
    ~TavrikRun()
    {
        if (!started_)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT && !Close())
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    // The main window, once shown.
    HWND Window()
    {
        if (!window_ && started_)
            WaitFor([&] { return (window_ = WindowOf(process_.dwProcessId, kClass)) != nullptr; });
        return window_;
    }
    DWORD Id() const { return process_.dwProcessId; }

    // Waits for the program to end; returns its exit code or nothing on time-out.
    std::optional<DWORD> WaitForExit(DWORD milliseconds = kPatience)
    {
        if (!started_ || WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    // Ends the process the way Windows does at the end of a session.
    void Kill()
    {
        if (started_ && TerminateProcess(process_.hProcess, 1))
            WaitForSingleObject(process_.hProcess, kPatience);
    }

    // Closes the main window; true once the program has ended with exit code 0.
    bool Close()
    {
        HWND window = Window();
        return window && PostMessageW(window, WM_CLOSE, 0, 0) && WaitForExit() == DWORD{0};
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

inline std::optional<DWORD> ReadDword(const wchar_t* entry, const wchar_t* key = kSettingsKey)
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, entry, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

inline std::optional<std::wstring> ReadString(const wchar_t* entry, const wchar_t* key = kSettingsKey)
{
    DWORD size = 0, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, entry, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    RegGetValueW(HKEY_CURRENT_USER, key, entry, RRF_RT_REG_SZ, nullptr, text.data(), &size);
    return std::wstring(text.data());
}

inline void Write(const wchar_t* entry, DWORD type, const void* data, DWORD size, const wchar_t* key = kSettingsKey)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, key, entry, type, data, size));
}
inline void WriteDword(const wchar_t* entry, DWORD value)
{
    Write(entry, REG_DWORD, &value, sizeof value);
}
inline void WriteString(const wchar_t* entry, const std::wstring& value, const wchar_t* key = kSettingsKey)
{
    Write(entry, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), key);
}

inline HWND Descendant(HWND parent, int id)
{
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(child) == s->id) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// "<test dir>\<parent>\<name>", made when missing and emptied of its files.
inline std::wstring FreshFolderUnder(const std::wstring& parent, const std::wstring& name)
{
    const std::wstring folder = FullPath(parent + L"\\" + name);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file(error))
            std::filesystem::remove(entry.path(), error);
    return folder;
}

// The video view inside the main window.
inline HWND ViewOf(HWND main)
{
    return Descendant(main, 0xE900);
}

inline SIZE ClientSize(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

inline std::wstring Text(HWND window)
{
    // WM_GETTEXT, since GetWindowText reads only the caption of another process's window,
    // not what an edit control holds.
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    return text;
}

inline RECT Rect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// A status bar pane's text, read through a buffer inside Tavrik's process.
inline std::wstring PaneText(DWORD process, HWND main, int pane)
{
    HWND bar = nullptr;
    EnumChildWindows(
        main,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(child, name, 64);
            if (_wcsicmp(name, STATUSCLASSNAMEW) != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&bar));
    HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (!bar || !target)
        return L"?";
    constexpr size_t kChars = 128;
    void* remote = VirtualAllocEx(target, nullptr, kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
    wchar_t text[kChars] = {};
    if (remote &&
        SendMessageTimeoutW(bar, SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000, nullptr))
        ReadProcessMemory(target, remote, text, sizeof text - sizeof(wchar_t), nullptr);
    if (remote)
        VirtualFreeEx(target, remote, 0, MEM_RELEASE);
    CloseHandle(target);
    return text;
}

inline std::string Narrow(const std::wstring& text)
{
    std::string utf8(text.size() * 3 + 1, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                                    nullptr));
    if (!utf8.empty())
        utf8.pop_back();
    return utf8;
}

// A message box of the process and its text.
inline HWND MessageBoxOf(DWORD process, std::wstring* text = nullptr)
{
    HWND box = WindowOf(process, L"#32770");
    if (box && text) {
        *text = Text(GetDlgItem(box, 0xFFFF));
        // A box still being made, or already going, has no text to read yet.
        if (text->empty())
            return nullptr;
    }
    return box;
}

// Presses Ctrl with the key on the keyboard, with the window in front.
inline void PressCtrlKey(HWND window, WORD key)
{
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }, 5000));
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_CONTROL, key, key, VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    ASSERT_EQ(4u, SendInput(4, keys, sizeof(INPUT)));
}

}  // namespace tavrik_test

using namespace tavrik_test;
