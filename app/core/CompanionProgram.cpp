#include "CompanionProgram.h"

std::optional<std::wstring> CompanionProgramPath(const std::wstring& folder, const wchar_t* program)
{
    if (folder.size() > kMaxCardFolderChars)
        return std::nullopt;
    std::wstring path = folder;
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    return path + program;
}
