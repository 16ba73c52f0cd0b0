#include "RecordingScan.h"

#include <algorithm>

#include "ByteOrder.h"
#include "ChunkIds.h"
#include "OpenDmlIndex.h"

namespace trelvox::recover {
namespace {

constexpr uint32_t kMaxHeaderBytes = 16u << 20;
constexpr uint32_t kMaxChunkBytes = 1u << 30;
// Zeros an OpenDML recording may hold between chunks: an unwritten standard index, or
// the room of the first RIFF's idx1 and the next RIFF's header.
constexpr uint64_t kMaxZeroGap = 256ull << 20;

class Scanner {
public:
    Scanner(InputFile& in, RecordingScan& scan, std::string& error) : in_(in), scan_(scan), error_(error) {}

    bool Run()
    {
        scan_.fileSize = in_.Size();
        if (in_.Id(0) != "RIFF" || in_.Id(8) != "AVI ")
            return Fail("not an AVI file (no RIFF AVI header)");
        scan_.finished = in_.U32(4) != 0;
        if (!ReadHeader())
            return false;
        WalkMovi(scan_.headerSize);
        return true;
    }

private:
    bool Fail(const std::string& message)
    {
        error_ = message;
        return false;
    }

    bool ReadHeader()
    {
        if (in_.Id(12) != "LIST" || in_.Id(20) != "hdrl")
            return Fail("no header list (hdrl)");
        const uint32_t hdrlBytes = in_.U32(16);
        if (hdrlBytes < 4 + 64 || hdrlBytes > kMaxHeaderBytes || 20ull + hdrlBytes > in_.Size()) {
            return Fail("header list of an impossible size");
        }
        std::vector<uint8_t> h(hdrlBytes - 4);
        if (!in_.Read(24, static_cast<uint32_t>(h.size()), h.data()))
            return Fail("header cut off");
        if (std::string(h.begin(), h.begin() + 4) != "avih")
            return Fail("no main header (avih)");
        scan_.sectorSize = GetU32(&h[8 + 8]);
        const uint32_t s = scan_.sectorSize;
        if (s < 8 || s > 65536 || (s & (s - 1)) != 0)
            return Fail("no sector size in the main header");
        if (!ReadStreams(h))
            return false;
        if (!scan_.inputs.video && !scan_.inputs.audio)
            return Fail("no stream in the header");

        const uint32_t indexBytes = scan_.openDml ? IndexBlockBytes(s) : 0;
        scan_.headerSize = AviHeaderSize(scan_.inputs, s, indexBytes);
        const uint32_t movi = scan_.headerSize - 12;
        if (in_.Id(movi) != "LIST" || in_.Id(movi + 8) != "movi") {
            return Fail("the data list (movi) is not where this multiplexer puts it");
        }
        scan_.run.sectorSize = s;
        return true;
    }

    // One strl after the other, from the bytes after avih; the odml list marks OpenDML.
    bool ReadStreams(const std::vector<uint8_t>& h)
    {
        for (size_t at = 64; at + 12 <= h.size();) {
            const std::string id(h.begin() + at, h.begin() + at + 4);
            const uint32_t size = GetU32(&h[at + 4]);
            if (size > h.size() - at - 8)
                return Fail("header chunk '" + id + "' runs past the header");
            const std::string form(h.begin() + at + 8, h.begin() + at + 12);
            if (id == "LIST" && form == "odml")
                scan_.openDml = true;
            if (id == "LIST" && form == "strl" && !ReadStream(&h[at + 12], size - 4))
                return false;
            at += 8ull + size + (size & 1u);
        }
        return true;
    }

    bool ReadStream(const uint8_t* p, uint32_t bytes)
    {
        if (bytes < 64 + 8 || std::string(p, p + 4) != "strh" || GetU32(p + 4) != 56) {
            return Fail("stream without its stream header (strh)");
        }
        const std::string type(p + 8, p + 12);
        const uint32_t handler = GetU32(p + 12), scale = GetU32(p + 28), rate = GetU32(p + 32);
        const uint8_t* f = p + 64;
        const uint32_t formatBytes = GetU32(f + 4);
        if (std::string(f, f + 4) != "strf" || formatBytes > bytes - 72)
            return Fail("stream without its format (strf)");
        if (type == "vids") {
            if (scan_.inputs.video || scan_.inputs.audio || formatBytes < 40 || rate == 0 || scale == 0) {
                return Fail("a video stream this multiplexer does not write");
            }
            VideoFormat v;
            v.bitmapInfoHeader.assign(f + 8, f + 8 + formatBytes);
            v.frameDuration = static_cast<int64_t>(static_cast<uint64_t>(scale) * 10000000ull / rate);
            if (v.frameDuration <= 0)
                return Fail("no frame duration");
            if (handler != v.Compression() && handler != Fourcc("DIB "))
                scan_.run.fourccOverride = handler;
            scan_.run.frameDuration = v.frameDuration;
            scan_.inputs.video = v;
        } else if (type == "auds") {
            if (scan_.inputs.audio)
                return Fail("two audio streams");
            AudioFormat a;
            if (Failed(AudioFormatFromBlock(f + 8, formatBytes, &a)))
                return Fail("an audio format that cannot be read");
            scan_.inputs.audio = a;
        } else {
            return Fail("a stream of type '" + type + "'");
        }
        return true;
    }

    bool IsVideo(const std::string& id) const { return scan_.inputs.video && (id == "00db" || id == "00dc"); }
    bool IsAudio(const std::string& id) const
    {
        return scan_.inputs.audio && id == (scan_.inputs.video ? "01wb" : "00wb");
    }
    bool IsSkipped(const std::string& id) const
    {
        return id == "JUNK" || (scan_.openDml && (id == "ix00" || id == "ix01" || id == "idx1"));
    }

    // The next chunk after a run of zero sectors, or 0 when there is none close enough.
    uint64_t AfterZeros(uint64_t at)
    {
        const uint32_t s = scan_.sectorSize;
        const uint64_t limit = std::min(in_.Size(), at + kMaxZeroGap);
        std::vector<uint8_t> sector(s);
        for (uint64_t p = (at + s - 1) / s * s; p + 8 <= limit; p += s) {
            const uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(s, in_.Size() - p));
            if (!in_.Read(p, length, sector.data()))
                return 0;
            if (std::all_of(sector.begin(), sector.begin() + length, [](uint8_t b) { return b == 0; }))
                continue;
            return p;
        }
        return 0;
    }

    void WalkMovi(uint64_t at)
    {
        uint64_t end = at;
        while (at + 8 <= in_.Size()) {
            const std::string id = in_.Id(at);
            const uint32_t size = in_.U32(at + 4);
            if (scan_.openDml && id == "RIFF" && in_.Id(at + 8) == "AVIX") {
                at += 12;
                continue;
            }
            if (scan_.openDml && id == "LIST" && in_.Id(at + 8) == "movi") {
                at += 12;
                continue;
            }
            const bool video = IsVideo(id), audio = IsAudio(id);
            if (!video && !audio && !IsSkipped(id)) {
                if (!scan_.openDml || id != std::string(4, '\0'))
                    break;
                const uint64_t next = AfterZeros(at);
                if (next <= at)
                    break;
                at = next;
                continue;
            }
            if (size > kMaxChunkBytes || size > in_.Size() - at - 8)
                break;  // cut off
            const uint64_t after = at + 8 + size + (size & 1u);
            if (video || audio) {
                if (audio && size % scan_.inputs.audio->BlockAlign() != 0)
                    break;
                scan_.chunks.push_back({video ? StreamKind::Video : StreamKind::Audio, at, size, id == "00db"});
                Count(scan_.chunks.back());
            }
            at = after;
            end = std::min(after, in_.Size());
        }
        scan_.dataEnd = end;
    }

    void Count(ScannedChunk& c)
    {
        if (c.stream == StreamKind::Video) {
            ++scan_.videoFrames;
            if (c.size == 0)
                ++scan_.nullFrames;
            scan_.run.maxVideoSample = std::max(scan_.run.maxVideoSample, c.size);
        } else {
            c.key = true;  // the flags are only in the index; PCM blocks are all sync points
            ++scan_.audioChunks;
            scan_.audioBlocks += c.size / scan_.inputs.audio->BlockAlign();
            scan_.run.maxAudioSample = std::max(scan_.run.maxAudioSample, c.size);
        }
    }

    InputFile& in_;
    RecordingScan& scan_;
    std::string& error_;
};

}  // namespace

bool ScanRecording(InputFile& in, RecordingScan* scan, std::string* error)
{
    *scan = RecordingScan{};
    return Scanner(in, *scan, *error).Run();
}

}  // namespace trelvox::recover
