// Test helper: sets the simulated card's control values for the life of the object and
// removes them again afterwards.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

class SimControl {
public:
    SimControl() = default;
    SimControl(const SimControl&) = delete;
    SimControl& operator=(const SimControl&) = delete;
    ~SimControl()
    {
        for (const std::wstring& name : set_)
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, name.c_str());
    }

    void Text(const wchar_t* name, const std::wstring& value)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        set_.push_back(name);
    }
    void Number(const wchar_t* name, DWORD value)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &value, sizeof value);
        set_.push_back(name);
    }
    // A fresh, empty log folder for this test.
    std::filesystem::path FreshLogFolder(const wchar_t* name)
    {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::filesystem::create_directories(folder);
        Text(L"LogFolder", folder.wstring());
        return folder;
    }

private:
    static constexpr wchar_t kKey[] = L"Software\\ZelvanSim";
    std::vector<std::wstring> set_;
};
