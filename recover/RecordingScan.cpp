#include "RecordingScan.h"

#include <algorithm>

#include "AviStructures.h"
#include "ChunkIds.h"
#include "OpenDmlIndex.h"
#include "Padding.h"

namespace trelvox::recover {
namespace {

constexpr uint32_t kMaxHeaderBytes = 16u << 20;
constexpr uint32_t kMaxChunkBytes = 1u << 30;
// Zeros an OpenDML recording may hold between chunks: an unwritten standard index, or
// the room of the first RIFF's idx1 and the next RIFF's header.
constexpr uint64_t kMaxZeroGap = 256ull << 20;

constexpr uint32_t kSizeAt = offsetof(RiffChunkHeader, cb);
constexpr uint32_t kListTypeAt = offsetof(RiffListHeader, fccListType);
constexpr uint32_t kAvihChunkBytes = kRiffChunkHeaderBytes + kMainAviHeaderBytes;
constexpr uint32_t kStrhChunkBytes = kRiffChunkHeaderBytes + kAviStreamHeaderBytes;

std::string IdAt(const uint8_t* p)
{
    return std::string(p, p + sizeof(uint32_t));
}

class Scanner {
public:
    Scanner(InputFile& in, RecordingScan& scan, std::string& error) : in_(in), scan_(scan), error_(error) {}

    bool Run()
    {
        scan_.fileSize = in_.Size();
        if (in_.Id(0) != "RIFF" || in_.Id(kListTypeAt) != "AVI ")
            return Fail("not an AVI file (no RIFF AVI header)");
        scan_.finished = in_.U32(kSizeAt) != 0;
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
        constexpr uint32_t hdrlAt = kRiffListHeaderBytes;
        constexpr uint32_t hdrlChunksAt = hdrlAt + kRiffListHeaderBytes;
        constexpr uint32_t listTypeBytes = kRiffListHeaderBytes - kRiffChunkHeaderBytes;
        if (in_.Id(hdrlAt) != "LIST" || in_.Id(hdrlAt + kListTypeAt) != "hdrl")
            return Fail("no header list (hdrl)");
        const uint32_t hdrlBytes = in_.U32(hdrlAt + kSizeAt);
        if (hdrlBytes < listTypeBytes + kAvihChunkBytes || hdrlBytes > kMaxHeaderBytes ||
            uint64_t{hdrlAt} + kRiffChunkHeaderBytes + hdrlBytes > in_.Size()) {
            return Fail("header list of an impossible size");
        }
        std::vector<uint8_t> h(hdrlBytes - listTypeBytes);
        if (!in_.Read(hdrlChunksAt, static_cast<uint32_t>(h.size()), h.data()))
            return Fail("header cut off");
        if (LoadChunkHeader(h.data()).ckid != Fourcc("avih"))
            return Fail("no main header (avih)");
        scan_.sectorSize = LoadMainAviHeader(&h[kRiffChunkHeaderBytes]).dwPaddingGranularity;
        const uint32_t s = scan_.sectorSize;
        if (s < 8 || s > 65536 || (s & (s - 1)) != 0)
            return Fail("no sector size in the main header");
        if (!ReadStreams(h))
            return false;
        if (!scan_.inputs.video && !scan_.inputs.audio)
            return Fail("no stream in the header");

        const uint32_t indexBytes = scan_.openDml ? IndexBlockBytes(s) : 0;
        scan_.headerSize = AviHeaderSize(scan_.inputs, s, indexBytes);
        const uint32_t movi = scan_.headerSize - kRiffListHeaderBytes;
        if (in_.Id(movi) != "LIST" || in_.Id(movi + kListTypeAt) != "movi") {
            return Fail("the data list (movi) is not where this multiplexer puts it");
        }
        scan_.run.sectorSize = s;
        return true;
    }

    // One strl after the other, from the bytes after avih; the odml list marks OpenDML.
    bool ReadStreams(const std::vector<uint8_t>& h)
    {
        for (size_t at = kAvihChunkBytes; at + kRiffListHeaderBytes <= h.size();) {
            const std::string id = IdAt(&h[at]);
            const uint32_t size = LoadChunkHeader(&h[at]).cb;
            if (size > h.size() - at - kRiffChunkHeaderBytes)
                return Fail("header chunk '" + id + "' runs past the header");
            const std::string form = IdAt(&h[at + kListTypeAt]);
            if (id == "LIST" && form == "odml")
                scan_.openDml = true;
            if (id == "LIST" && form == "strl" &&
                !ReadStream(&h[at + kRiffListHeaderBytes], size - (kRiffListHeaderBytes - kRiffChunkHeaderBytes)))
                return false;
            at += SampleChunkBytes(size);
        }
        return true;
    }

    bool ReadStream(const uint8_t* p, uint32_t bytes)
    {
        const RiffChunkHeader strhChunk = LoadChunkHeader(p);
        if (bytes < kStrhChunkBytes + kRiffChunkHeaderBytes || strhChunk.ckid != Fourcc("strh") ||
            strhChunk.cb != kAviStreamHeaderBytes) {
            return Fail("stream without its stream header (strh)");
        }
        const AviStreamHeader strh = LoadStreamHeader(p + kRiffChunkHeaderBytes);
        const std::string type = IdAt(p + kRiffChunkHeaderBytes + offsetof(AviStreamHeader, fccType));
        const uint32_t handler = strh.fccHandler, scale = strh.dwScale, rate = strh.dwRate;
        const uint8_t* f = p + kStrhChunkBytes;
        const RiffChunkHeader strf = LoadChunkHeader(f);
        const uint32_t formatBytes = strf.cb;
        if (strf.ckid != Fourcc("strf") || formatBytes > bytes - kStrhChunkBytes - kRiffChunkHeaderBytes)
            return Fail("stream without its format (strf)");
        f += kRiffChunkHeaderBytes;
        if (type == "vids") {
            if (scan_.inputs.video || scan_.inputs.audio || formatBytes < kBitmapInfoHeaderBytes || rate == 0 ||
                scale == 0) {
                return Fail("a video stream this multiplexer does not write");
            }
            VideoFormat v;
            v.bitmapInfoHeader.assign(f, f + formatBytes);
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
            if (Failed(AudioFormatFromBlock(f, formatBytes, &a)))
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
        for (uint64_t p = (at + s - 1) / s * s; p + kRiffChunkHeaderBytes <= limit; p += s) {
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
        while (at + kRiffChunkHeaderBytes <= in_.Size()) {
            const std::string id = in_.Id(at);
            const uint32_t size = in_.U32(at + kSizeAt);
            if (scan_.openDml && id == "RIFF" && in_.Id(at + kListTypeAt) == "AVIX") {
                at += kRiffListHeaderBytes;
                continue;
            }
            if (scan_.openDml && id == "LIST" && in_.Id(at + kListTypeAt) == "movi") {
                at += kRiffListHeaderBytes;
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
            if (size > kMaxChunkBytes || size > in_.Size() - at - kRiffChunkHeaderBytes)
                break;  // cut off
            const uint64_t after = at + SampleChunkBytes(size);
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
