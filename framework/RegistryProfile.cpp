#include "RegistryProfile.h"

#include <windows.h>

#include <vector>

int RegistryProfile::GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) const
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, KeyPath(section).c_str(), entry.c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS ||
        size != sizeof value)
        return defaultValue;
    return static_cast<int>(value);
}

std::wstring RegistryProfile::GetString(const std::wstring& section, const std::wstring& entry,
                                        const std::wstring& defaultValue) const
{
    const std::wstring key = KeyPath(section);
    // The value may grow between asking for its size and reading it; ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        LONG status =
            RegGetValueW(HKEY_CURRENT_USER, key.c_str(), entry.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return defaultValue;
        // Room for an odd last byte and for the terminator RegGetValueW adds to unterminated text.
        std::vector<wchar_t> buffer((size + 1) / sizeof(wchar_t) + 1);
        size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status =
            RegGetValueW(HKEY_CURRENT_USER, key.c_str(), entry.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return defaultValue;
        buffer.back() = L'\0';
        return buffer.data();
    }
    return defaultValue;
}

bool RegistryProfile::WriteInt(const std::wstring& section, const std::wstring& entry, int value)
{
    const DWORD data = static_cast<DWORD>(value);
    return RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(section).c_str(), entry.c_str(), REG_DWORD, &data, sizeof data) ==
           ERROR_SUCCESS;
}

bool RegistryProfile::WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value)
{
    const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(section).c_str(), entry.c_str(), REG_SZ, value.c_str(), size) ==
           ERROR_SUCCESS;
}

bool RegistryProfile::Flush(const std::wstring& section)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool flushed = RegFlushKey(key) == ERROR_SUCCESS;
    RegCloseKey(key);
    return flushed;
}
