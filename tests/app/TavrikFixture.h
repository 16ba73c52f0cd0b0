// The fixture of the tests that start the real Tavrik.exe: no other Tavrik running, no
// settings and the simulated card's defaults at the start of each case, COM for the
// profiles and graphs the test reads, and no settings left behind.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "../engine/CardTestSupport.h"
#include "TavrikProcess.h"

namespace tavrik_test {

// A line of <folder>\expect.txt for check_tavrik_recordings.py: the file relative to the
// test folder, the frames it must hold ("-" when the report counted more) and its null frames.
inline void NoteForProbeIn(const std::wstring& folder, const std::wstring& file, const std::string& frames,
                           int64_t nullFrames, bool swapped = false, const char* pictureSize = "")
{
    std::ofstream expect(std::filesystem::path(folder + L"\\expect.txt"), std::ios::app);
    std::string relative = Narrow(file.substr(FullPath(L".").size() + 1));
    std::replace(relative.begin(), relative.end(), '\\', '/');
    expect << relative << ' ' << frames << ' ' << nullFrames << ' ' << (swapped ? 'L' : 'R') << ' ' << pictureSize
           << '\n';
}

class TavrikTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(nullptr, FindWindowW(kClass, nullptr)) << "a Tavrik from elsewhere is still running";
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        comStarted_ = true;
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrik");
        ResetCard();
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrik");
        ResetCard();
        if (comStarted_)
            CoUninitialize();
    }

    // The running case's name, for a folder of its own.
    static std::wstring CaseName()
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return std::wstring(name.begin(), name.end());
    }

    // Tavrik records into the folder, naming each recording by prefix and serial number.
    static void RecordInto(const std::wstring& folder, const wchar_t* prefix)
    {
        WriteDword(L"RecordRule", 1);
        WriteString(L"DefaultRecordPath", folder);
        WriteString(L"RecordNamePrefix", prefix);
        WriteDword(L"RecordNameRule", 4);
    }

    // The text of the next message box of the process, which is then closed with OK.
    static std::wstring DismissMessageBox(DWORD process)
    {
        std::wstring text;
        if (!WaitFor([&] { return MessageBoxOf(process, &text) != nullptr; }))
            return L"";
        PostMessageW(MessageBoxOf(process), WM_COMMAND, IDOK, 0);
        WaitFor([&] { return MessageBoxOf(process) == nullptr; }, 5000);
        return text;
    }

    // "text(xxxxxxxx)": a failure message with its code.
    static bool IsFailure(const std::wstring& message, const std::wstring& text)
    {
        return message.size() == text.size() + 10 && message.compare(0, text.size(), text) == 0 &&
               message[text.size()] == L'(' && message.back() == L')' &&
               message.find_first_not_of(L"0123456789abcdef", text.size() + 1) == message.size() - 1;
    }

private:
    bool comStarted_ = false;
};

}  // namespace tavrik_test
