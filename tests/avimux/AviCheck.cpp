#include "AviCheck.h"

#include <algorithm>
#include <sstream>

namespace trelvox::test {
namespace {

bool IsVideo(const std::string& id)
{
    return id == "00dc" || id == "00db";
}
bool IsMoviChunk(const std::string& id)
{
    return IsVideo(id) || id == "01wb" || id == "00wb" || id == "JUNK" || id == "ix00" || id == "ix01";
}

class Checker {
public:
    Checker(const ByteSource& f, uint32_t sector) : r_(f), sector_(sector) {}

    AviCheck Run()
    {
        if (r_.Id(0) != "RIFF" || r_.Id(8) != "AVI ")
            return Problem("no RIFF AVI at 0"), result_;
        const uint32_t riffSize = r_.U32(4);
        result_.provisional = riffSize == 0;
        const uint64_t firstEnd = result_.provisional ? r_.Size() : 8ull + riffSize;
        if (firstEnd > r_.Size())
            Problem("RIFF AVI ends beyond the file");
        ReadHeader();
        uint64_t idx1 = 0, movi = 0;
        WalkRiff(12, std::min(firstEnd, r_.Size()), &movi, &idx1);
        if (result_.claimsIndex && idx1 == 0)
            Problem("AVIF_HASINDEX without idx1");
        if (idx1 != 0)
            CheckIdx1(idx1, movi);
        if (!result_.provisional)
            WalkLaterRiffs(firstEnd);
        for (const auto& stream : superIndexes_)
            CheckSuperIndex(stream.first, stream.second);
        return result_;
    }

private:
    void Problem(const std::string& text) { result_.problems.push_back(text); }

    void ReadHeader()
    {
        if (r_.Id(12) != "LIST" || r_.Id(20) != "hdrl")
            return Problem("no hdrl");
        result_.claimsIndex = (r_.U32(44) & 0x10) != 0;
        const uint64_t end = 20ull + r_.U32(16);
        int stream = 0;
        for (uint64_t at = 24; at + 8 <= end && r_.Has(at, 8);) {
            const uint32_t size = r_.U32(at + 4);
            if (r_.Id(at) == "LIST" && r_.Id(at + 8) == "strl") {
                for (uint64_t in = at + 12; in + 8 <= at + 8 + size;) {
                    if (r_.Id(in) == "indx")
                        superIndexes_.push_back({in, stream});
                    in += 8ull + r_.U32(in + 4) + (r_.U32(in + 4) & 1u);
                }
                ++stream;
            }
            at += 8ull + size + (size & 1u);
        }
    }

    // The children of a RIFF: its movi walked, idx1 remembered.
    void WalkRiff(uint64_t from, uint64_t end, uint64_t* movi, uint64_t* idx1)
    {
        ++result_.riffs;
        for (uint64_t at = from; at + 8 <= end;) {
            const std::string id = r_.Id(at);
            const uint32_t size = r_.U32(at + 4);
            if (id == "LIST" && r_.Id(at + 8) == "movi") {
                *movi = at + 8;
                const uint64_t moviEnd = size == 0 ? r_.Size() : at + 8 + size;
                if (moviEnd > r_.Size())
                    Problem("movi ends beyond the file");
                WalkMovi(at + 12, std::min(moviEnd, r_.Size()), size == 0);
                if (size == 0)
                    return;
            } else if (id == "idx1") {
                *idx1 = at;
            } else if (id != "LIST" && id != "JUNK") {
                if (!result_.provisional)
                    Problem("unknown chunk '" + id + "' in RIFF at " + std::to_string(at));
                return;
            }
            if (!r_.Has(at, 8ull + size)) {
                Problem(id + " chunk ends beyond the file");
                return;
            }
            at += 8ull + size + (size & 1u);
        }
    }

    void WalkMovi(uint64_t from, uint64_t end, bool openEnded)
    {
        for (uint64_t at = from; at + 8 <= end;) {
            const std::string id = r_.Id(at);
            if (openEnded && (id == "RIFF" || id == "LIST")) {  // into a later RIFF and its movi
                at += 12;
                continue;
            }
            if (openEnded && id == "idx1") {
                at += 8ull + r_.U32(at + 4);
                continue;
            }
            if (!IsMoviChunk(id)) {
                // Zero sectors: an index chunk whose write failed, or, open-ended, never came.
                const uint64_t next = NextChunkAfterZeros(at, end);
                if (next == end && !openEnded && r_.U32(at) != 0)
                    Problem("no chunk in movi at " + std::to_string(at));
                at = next;
                continue;
            }
            const uint32_t size = r_.U32(at + 4);
            if (!r_.Has(at + 8, size))
                return;  // cut off: a reader stops here
            if (IsVideo(id))
                result_.walkedVideo.insert(at);
            if (IsVideo(id) && size == 0)
                result_.nullFrames.insert(at);
            at += 8ull + size + (size & 1u);
        }
    }

    // An unwritten index chunk or RIFF header reads as zero sectors; the data goes on after.
    uint64_t NextChunkAfterZeros(uint64_t at, uint64_t end)
    {
        for (uint64_t s = (at + sector_ - 1) / sector_ * sector_; s + 8 <= end; s += sector_) {
            const std::string id = r_.Id(s);
            if (IsMoviChunk(id) && id != "JUNK")
                return s;
            if (id == "RIFF" && r_.Id(s + 8) == "AVIX")
                return s + 24;
            if (r_.U32(s) != 0 || r_.U32(s + 4) != 0)
                return end;
        }
        return end;
    }

    void WalkLaterRiffs(uint64_t at)
    {
        while (at + 12 <= r_.Size()) {
            if (r_.Id(at) != "RIFF" || r_.Id(at + 8) != "AVIX")
                return;  // the indexes may still reach on
            const uint64_t end = at + 8 + r_.U32(at + 4);
            if (end > r_.Size())
                return Problem("RIFF AVIX ends beyond the file");
            uint64_t movi = 0, idx1 = 0;
            WalkRiff(at + 12, end, &movi, &idx1);
            at = end;
        }
    }

    void CheckChunk(uint64_t header, uint32_t size, const std::string& stream, const std::string& from)
    {
        if (!r_.Has(header, 8ull + size))
            return Problem(from + " entry beyond the file");
        const std::string id = r_.Id(header);
        if (id.compare(0, 2, stream) != 0 || !IsMoviChunk(id) || r_.U32(header + 4) != size) {
            return Problem(from + " entry at " + std::to_string(header) + " finds '" + id + "'");
        }
        if (IsVideo(id))
            result_.indexedVideo.insert(header);
        if (IsVideo(id) && size == 0)
            result_.nullFrames.insert(header);
    }

    void CheckIdx1(uint64_t idx1, uint64_t moviFourcc)
    {
        const uint32_t entries = r_.U32(idx1 + 4) / 16;
        if (!r_.Has(idx1 + 8, 16ull * entries))
            return Problem("idx1 beyond the file");
        for (uint32_t i = 0; i < entries; ++i) {
            const uint64_t e = idx1 + 8 + 16ull * i;
            const std::string id = r_.Id(e);
            const uint64_t header = moviFourcc + r_.U32(e + 8);
            if (id.compare(0, 2, "ix") == 0) {
                if (r_.Id(header) != id || r_.U32(header + 4) != r_.U32(e + 12)) {
                    Problem("idx1 entry of " + id + " at " + std::to_string(header) + " finds no index chunk");
                }
                continue;
            }
            CheckChunk(header, r_.U32(e + 12), id.substr(0, 2), "idx1");
        }
    }

    void CheckSuperIndex(uint64_t indx, int stream)
    {
        const uint32_t n = r_.U32(indx + 12);
        result_.superIndexEntries += static_cast<int>(n);
        const std::string number = stream == 0 ? "00" : "01";
        for (uint32_t i = 0; i < n; ++i) {
            const uint64_t e = indx + 32 + 16ull * i;
            const uint64_t block = r_.U64(e);
            if (!r_.Has(block, r_.U32(e + 8))) {
                Problem("super index entry " + std::to_string(i) + " beyond the file");
                continue;
            }
            if (r_.Id(block) != "ix" + number) {
                Problem("super index entry " + std::to_string(i) + " finds '" + r_.Id(block) + "'");
                continue;
            }
            const uint64_t base = r_.U64(block + 20);
            const uint32_t entries = r_.U32(block + 12);
            for (uint32_t k = 0; k < entries; ++k) {
                const uint64_t se = block + 32 + 8ull * k;
                CheckChunk(base + r_.U32(se) - 8, r_.U32(se + 4) & 0x7FFFFFFFu, number, "standard index");
            }
        }
    }

    AviReader r_;
    uint32_t sector_;
    AviCheck result_;
    std::vector<std::pair<uint64_t, int>> superIndexes_;
};

}  // namespace

size_t AviCheck::VideoChunks() const
{
    std::set<uint64_t> all = walkedVideo;
    all.insert(indexedVideo.begin(), indexedVideo.end());
    return all.size();
}

std::string AviCheck::Problems() const
{
    std::ostringstream text;
    for (const std::string& p : problems)
        text << p << "; ";
    return text.str();
}

AviCheck CheckAvi(const ByteSource& file, uint32_t sectorSize)
{
    return Checker(file, sectorSize).Run();
}

}  // namespace trelvox::test
