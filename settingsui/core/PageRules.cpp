#include "PageRules.h"

namespace settingsui {
namespace {

constexpr int kSmallestCrop = 16;

}  // namespace

void RemoveTrailingBackslash(std::wstring& path)
{
    if (!path.empty() && path.back() == L'\\')
        path.pop_back();
}

std::wstring CheckGeneralPaths(GeneralPaths& paths, const PathQueries& queries)
{
    if (paths.recordRule && paths.recordFolder.empty())
        return L"録画保存場所を指定してください。";
    RemoveTrailingBackslash(paths.recordFolder);
    if (paths.recordRule && !queries.isDirectory(paths.recordFolder))
        return L"録画保存場所が無効です。";
    if (!paths.imageFolder.empty() && !queries.isDirectory(paths.imageFolder))
        return L"静止画保存場所が無効です。";
    if (paths.useConfigFile && paths.configFile.empty())
        return L"設定ファイルを指定してください。";
    RemoveTrailingBackslash(paths.configFile);
    if (paths.useConfigFile && !queries.isFile(paths.configFile))
        return L"設定ファイルが無効です。";
    return {};
}

bool CropAreaTooSmall(int left, int top, int right, int bottom)
{
    return right - left < kSmallestCrop || bottom - top < kSmallestCrop;
}

}  // namespace settingsui
