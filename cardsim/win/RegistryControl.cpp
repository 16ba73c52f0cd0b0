#include "RegistryControl.h"

#include <vector>

namespace cardsim {
namespace {

std::wstring Wide(const char* text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    return wide;
}

std::optional<std::wstring> ReadText(const wchar_t* name)
{
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kControlKey, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kControlKey, name, RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

}  // namespace

std::string Utf8(const std::wstring& text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? length - 1 : 0, '\0');
    if (length > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::optional<std::string> RegistryControlSource::Text(const char* name) const
{
    const std::optional<std::wstring> text = ReadText(Wide(name).c_str());
    return text ? std::optional(Utf8(*text)) : std::nullopt;
}

std::optional<uint32_t> RegistryControlSource::Number(const char* name) const
{
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kControlKey, Wide(name).c_str(), RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

ControlValues ReadRegistryControl()
{
    return ReadControlValues(RegistryControlSource{});
}

std::wstring LogFolder()
{
    std::wstring folder;
    if (const std::optional<std::wstring> configured = ReadText(Wide(control::kLogFolder).c_str());
        configured && !configured->empty()) {
        folder = *configured;
    } else {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        folder = std::wstring(temp, length) + L"ZelvanSim";
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void AppendLogLine(const wchar_t* fileName, const std::string& line)
{
    const std::wstring path = LogFolder() + L"\\" + fileName;
    // Opened for each line so that several processes can append to one log.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const std::string text = line + "\r\n";
            DWORD written = 0;
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            return;
        Sleep(2);
    }
}

}  // namespace cardsim
