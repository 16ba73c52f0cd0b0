#include "MuxFileName.h"

namespace engine {

std::wstring WithoutExtension(const std::wstring& path)
{
    const size_t folderEnd = path.find_last_of(L"\\/:");
    const size_t nameStart = folderEnd == std::wstring::npos ? 0 : folderEnd + 1;
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || dot < nameStart)
        return path;
    return path.substr(0, dot);
}

std::wstring MuxFileName(const std::wstring& muxDisplayName, const std::wstring& path)
{
    return muxDisplayName == kTrelvoxMoniker ? WithoutExtension(path) : path;
}

}  // namespace engine
