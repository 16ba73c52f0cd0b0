#include "DataFolder.h"

std::optional<DataFolderPaths> MakeDataFolderPaths(const std::wstring& localAppData, const std::wstring& title,
                                                   const std::wstring& longestFileName)
{
    if (localAppData.empty())
        return std::nullopt;
    std::wstring base = localAppData;
    if (base.back() != L'\\')
        base += L'\\';
    DataFolderPaths paths;
    paths.titleFolder = base + title;
    paths.dataFolderWithoutSlash = paths.titleFolder + L"\\Data";
    paths.dataFolder = paths.dataFolderWithoutSlash + L"\\";
    if (paths.dataFolder.size() + longestFileName.size() + 1 > kMaxPathLength)
        return std::nullopt;
    return paths;
}
