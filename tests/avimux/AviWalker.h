// The one walker of RIFF AVI files for the multiplexer tests: fields read from any byte
// source (bytes in memory, a sparse file, a file on disk) and the chunks of a RIFF or a
// LIST one after another.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace trelvox::test {

struct ByteSource {
    uint64_t size = 0;
    std::function<std::vector<uint8_t>(uint64_t offset, uint32_t length)> read;
};
ByteSource BytesOf(const std::vector<uint8_t>& bytes);

// Little-endian fields and FOURCCs; past the end they read as 0 and "".
class AviReader {
public:
    explicit AviReader(const ByteSource& source) : source_(source) {}
    uint64_t Size() const { return source_.size; }
    bool Has(uint64_t at, uint64_t length) const { return at <= source_.size && length <= source_.size - at; }
    uint32_t U32(uint64_t at) const;
    uint64_t U64(uint64_t at) const { return U32(at) | static_cast<uint64_t>(U32(at + 4)) << 32; }
    std::string Id(uint64_t at) const;
    std::vector<uint8_t> Read(uint64_t at, uint32_t length) const { return source_.read(at, length); }

private:
    const ByteSource& source_;
};

struct Chunk {
    std::string id;
    uint64_t offset;  // of the chunk header
    uint32_t size;
    uint64_t Data() const { return offset + 8; }
    uint64_t End() const { return offset + 8 + size; }
    uint64_t Next() const { return End() + (size & 1u); }
};

// The chunks from `from` to `end`. The walk stops at an id that is not a FOURCC or a
// chunk that ends beyond the source; `whole` (when given) tells whether it got to `end`.
std::vector<Chunk> Children(const AviReader& r, uint64_t from, uint64_t end, bool* whole = nullptr);
// The chunks of a RIFF or LIST chunk, after its form.
inline std::vector<Chunk> ListChildren(const AviReader& r, const Chunk& list, bool* whole = nullptr)
{
    return Children(r, list.Data() + 4, list.End(), whole);
}
// A RIFF or LIST chunk's form ("AVI ", "movi", ...).
inline std::string Form(const AviReader& r, const Chunk& list)
{
    return r.Id(list.Data());
}
// The RIFFs of the file, one after another, as far as they are RIFFs.
std::vector<Chunk> Riffs(const AviReader& r);

}  // namespace trelvox::test
