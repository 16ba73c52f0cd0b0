#include "AviHeader.h"

#include <algorithm>
#include <cstdlib>

#include "ByteOrder.h"
#include "ChunkIds.h"
#include "FrameRounding.h"
#include "OpenDmlIndex.h"
#include "Padding.h"

namespace trelvox {
namespace {

constexpr uint32_t kFixedHeaderBytes = 88;  // RIFF 12, LIST hdrl 12, avih 8 + 56
constexpr uint32_t kStrlOverhead = 84;      // LIST strl 12, strh 8 + 56, strf header 8
constexpr uint32_t kMoviListHeader = 12;
constexpr uint32_t kOdmlList = 268;  // LIST odml 12, dmlh 8 + 248
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

uint32_t VideoStrlBytes(const VideoFormat& v)
{
    return kStrlOverhead + v.BiSize();
}
uint32_t AudioStrlBytes(const AudioFormat& a)
{
    return kStrlOverhead + a.CbFormat() + (a.CbFormat() & 1u);
}

// "strh" chunk with its 56 bytes of fields; returns the bytes written.
struct StreamHeader {
    const char* type;
    uint32_t handler = 0;
    uint32_t scale = 0, rate = 0, start = 0, length = 0, suggestedBuffer = 0, sampleSize = 0;
    int16_t right = 0, bottom = 0;
};

uint32_t WriteStrh(uint8_t* p, const StreamHeader& h)
{
    PutFourcc(p, "strh");
    PutU32(p + 4, 56);
    uint8_t* f = p + 8;
    PutFourcc(f, h.type);
    PutU32(f + 4, h.handler);
    PutU32(f + 20, h.scale);
    PutU32(f + 24, h.rate);
    PutU32(f + 28, h.start);
    PutU32(f + 32, h.length);
    PutU32(f + 36, h.suggestedBuffer);
    PutU32(f + 44, h.sampleSize);
    PutU16(f + 52, static_cast<uint16_t>(h.right));
    PutU16(f + 54, static_cast<uint16_t>(h.bottom));
    return 64;
}

uint32_t WriteStrlStart(uint8_t* p, uint32_t listSize)
{
    PutFourcc(p, "LIST");
    PutU32(p + 4, listSize);
    PutFourcc(p + 8, "strl");
    return 12;
}

uint32_t SuperIndexSlot(const OdmlHeaderParts* odml)
{
    return odml ? odml->indexBlockBytes : 0;
}

uint32_t WriteSuperIndex(uint8_t* p, const OdmlHeaderParts* odml, const uint8_t* block)
{
    if (!odml)
        return 0;
    if (block) {
        std::copy(block, block + kIndexDataBytes, p);
    } else {
        WriteJunk(p, odml->indexBlockBytes, true);
    }
    return odml->indexBlockBytes;
}

uint32_t WriteVideoStrl(uint8_t* p, const VideoFormat& v, const AviRunFigures& run, const AviFileFigures& file,
                        const OdmlHeaderParts* odml)
{
    uint32_t at = WriteStrlStart(p, 76 + v.BiSize() + SuperIndexSlot(odml));
    StreamHeader h{"vids"};
    const uint32_t compression = v.Compression();
    h.handler = run.fourccOverride != 0                                  ? run.fourccOverride
                : (compression == kBiRgb || compression == kBiBitfields) ? Fourcc("DIB ")
                                                                         : compression;
    h.scale = static_cast<uint32_t>(run.frameDuration);
    h.rate = 10000000;
    h.start = file.videoStart;
    h.length = file.videoFrames;
    h.suggestedBuffer = run.maxVideoSample + 8;
    h.right = static_cast<int16_t>(v.Width());
    h.bottom = static_cast<int16_t>(v.Height());
    at += WriteStrh(p + at, h);
    PutFourcc(p + at, "strf");
    PutU32(p + at + 4, v.BiSize());
    std::copy(v.bitmapInfoHeader.begin(), v.bitmapInfoHeader.end(), p + at + 8);
    at += 8 + v.BiSize();
    return at + WriteSuperIndex(p + at, odml, odml ? odml->videoSuperIndex : nullptr);
}

uint32_t WriteAudioStrl(uint8_t* p, const AudioFormat& a, const AviRunFigures& run, const AviFileFigures& file,
                        const OdmlHeaderParts* odml)
{
    const uint32_t format = a.CbFormat() + (a.CbFormat() & 1u);
    uint32_t at = WriteStrlStart(p, 76 + (odml ? format + odml->indexBlockBytes : a.CbFormat()));
    StreamHeader h{"auds"};
    h.scale = a.BlockAlign();
    h.rate = a.AvgBytesPerSec();
    h.start = file.audioStart;
    h.length = file.audioBlocks;
    h.suggestedBuffer = run.maxAudioSample + 8;
    h.sampleSize = a.BlockAlign();
    at += WriteStrh(p + at, h);
    PutFourcc(p + at, "strf");
    PutU32(p + at + 4, a.CbFormat());
    std::copy(a.waveFormat.begin(), a.waveFormat.end(), p + at + 8);
    at += 8 + format;  // the pad byte stays zero
    return at + WriteSuperIndex(p + at, odml, odml ? odml->audioSuperIndex : nullptr);
}

uint32_t WriteOdmlList(uint8_t* p, uint32_t totalFrames)
{
    PutFourcc(p, "LIST");
    PutU32(p + 4, 260);
    PutFourcc(p + 8, "odml");
    PutFourcc(p + 12, "dmlh");
    PutU32(p + 16, 248);
    PutU32(p + 20, totalFrames);
    return kOdmlList;
}

void WriteAvih(uint8_t* p, const MuxInputs& inputs, const AviRunFigures& run, const AviFileFigures& file)
{
    PutFourcc(p, "avih");
    PutU32(p + 4, 56);
    uint8_t* f = p + 8;
    uint64_t maxBytesPerSec = 0;
    if (inputs.video && run.frameDuration > 0) {
        PutU32(f, static_cast<uint32_t>(run.frameDuration / 10));
        maxBytesPerSec =
            static_cast<uint64_t>(run.maxVideoSample) * 10000000ull / static_cast<uint64_t>(run.frameDuration);
    }
    if (inputs.audio)
        maxBytesPerSec += inputs.audio->AvgBytesPerSec();
    PutU32(f + 4, static_cast<uint32_t>(maxBytesPerSec));
    PutU32(f + 8, run.sectorSize);
    PutU32(f + 12, file.indexed && !file.openEnded ? kAviHasIndex : 0);
    PutU32(f + 16, file.videoFrames);
    PutU32(f + 24, (inputs.video ? 1u : 0u) + (inputs.audio ? 1u : 0u));
    PutU32(f + 28, std::max(run.maxVideoSample, run.maxAudioSample) + 8);
    if (inputs.video) {
        PutU32(f + 32, static_cast<uint32_t>(std::abs(static_cast<int64_t>(inputs.video->Width()))));
        PutU32(f + 36, static_cast<uint32_t>(std::abs(static_cast<int64_t>(inputs.video->Height()))));
    }
}

}  // namespace

uint32_t AviHeaderSize(const MuxInputs& inputs, uint32_t sectorSize, uint32_t indexBlockBytes)
{
    uint64_t size = kFixedHeaderBytes + kMoviListHeader;
    if (inputs.video)
        size += VideoStrlBytes(*inputs.video) + indexBlockBytes;
    if (inputs.audio)
        size += AudioStrlBytes(*inputs.audio) + indexBlockBytes;
    if (indexBlockBytes != 0)
        size += kOdmlList;
    return static_cast<uint32_t>(PaddedLength(size, sectorSize));
}

void BuildAviHeader(uint8_t* out, const MuxInputs& inputs, const AviRunFigures& run, const AviFileFigures& file,
                    const OdmlHeaderParts* odml)
{
    const uint32_t h = file.headerSize;
    PutFourcc(out, "RIFF");
    PutU32(out + 4, file.openEnded ? 0 : h + file.moviBytes + file.indexRegionBytes - 8);
    PutFourcc(out + 8, "AVI ");
    PutFourcc(out + 12, "LIST");
    PutU32(out + 16, h - 32);
    PutFourcc(out + 20, "hdrl");
    WriteAvih(out + 24, inputs, run, file);
    uint32_t at = kFixedHeaderBytes;
    if (inputs.video)
        at += WriteVideoStrl(out + at, *inputs.video, run, file, odml);
    if (inputs.audio)
        at += WriteAudioStrl(out + at, *inputs.audio, run, file, odml);
    if (odml)
        at += WriteOdmlList(out + at, odml->totalFrames);
    if (at != h - 12)
        WriteJunk(out + at, h - 12 - at, true);
    PutFourcc(out + h - 12, "LIST");
    PutU32(out + h - 8, file.openEnded ? 0 : file.moviBytes + 4);
    PutFourcc(out + h - 4, "movi");
}

uint32_t VideoStartFrames(int64_t firstVideoTime, int64_t firstAudioTime, int64_t frameDuration,
                          const MuxSettings& settings)
{
    if (settings.videoDelayProcessing != VideoDelayProcessing::DelayTime || frameDuration <= 0)
        return 0;
    const int64_t base =
        settings.audioDelayProcessing == AudioDelayProcessing::ReferenceTimeChange ? firstAudioTime : 0;
    const double frames = static_cast<double>(firstVideoTime - base) / frameDuration;
    return RoundFrames(frames, settings.dropThreshold);
}

uint32_t AudioStartBlocks(int64_t firstVideoTime, int64_t firstAudioTime, const AudioFormat& audio,
                          const MuxSettings& settings)
{
    if (settings.audioDelayProcessing != AudioDelayProcessing::DelayTime)
        return 0;
    const int64_t base =
        settings.videoDelayProcessing == VideoDelayProcessing::ReferenceTimeChange ? firstVideoTime : 0;
    const double blocks =
        static_cast<double>(firstAudioTime - base) * audio.AvgBytesPerSec() * 1e-7 / audio.BlockAlign();
    if (!(blocks > 0))
        return 0;
    return blocks >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(blocks);
}

}  // namespace trelvox
