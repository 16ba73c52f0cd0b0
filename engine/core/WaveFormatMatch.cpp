#include "WaveFormatMatch.h"

#include "profiles/core/AudioFormatList.h"

#include <algorithm>

namespace engine {
namespace {

// 18 + cbSize, or 0 when the block cannot hold it.
size_t DeclaredSize(std::span<const std::uint8_t> format)
{
    const size_t size = profiles::WaveFormatSize(format);
    return size <= format.size() ? size : 0;
}

}  // namespace

bool SameWaveFormat(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b)
{
    if (a.empty() || b.empty())
        return a.empty() && b.empty();
    const size_t size = DeclaredSize(a);
    return size != 0 && size == DeclaredSize(b) && std::equal(a.begin(), a.begin() + size, b.begin());
}

}  // namespace engine
