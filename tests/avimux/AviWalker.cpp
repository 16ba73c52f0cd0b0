#include "AviWalker.h"

#include <algorithm>
#include <cstddef>

namespace trelvox::test {

ByteSource BytesOf(const std::vector<uint8_t>& bytes)
{
    return {bytes.size(), [&bytes](uint64_t offset, uint32_t length) {
                return std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
            }};
}

uint32_t AviReader::U32(uint64_t at) const
{
    if (!Has(at, 4))
        return 0;
    const std::vector<uint8_t> b = source_.read(at, 4);
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

std::string AviReader::Id(uint64_t at) const
{
    if (!Has(at, 4))
        return std::string();
    const std::vector<uint8_t> b = source_.read(at, 4);
    return std::string(b.begin(), b.end());
}

std::vector<Chunk> Children(const AviReader& r, uint64_t from, uint64_t end, bool* whole)
{
    std::vector<Chunk> chunks;
    uint64_t at = from;
    for (; at + 8 <= end; at = chunks.back().Next()) {
        Chunk c{r.Id(at), at, r.U32(at + 4)};
        const bool fourcc =
            c.id.size() == 4 && std::all_of(c.id.begin(), c.id.end(), [](char ch) { return ch >= ' ' && ch <= '~'; });
        if (!fourcc || !r.Has(c.offset, 8ull + c.size))
            break;
        chunks.push_back(c);
    }
    if (whole)
        *whole = at + 8 > end;
    return chunks;
}

std::vector<Chunk> Riffs(const AviReader& r)
{
    std::vector<Chunk> riffs;
    for (uint64_t at = 0; at + 12 <= r.Size() && r.Id(at) == "RIFF"; at = riffs.back().Next()) {
        riffs.push_back({"RIFF", at, r.U32(at + 4)});
    }
    return riffs;
}

}  // namespace trelvox::test
