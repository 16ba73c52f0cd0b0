#include "AviHeader.h"

#include <algorithm>
#include <cstdlib>

#include "AviStructures.h"
#include "ChunkIds.h"
#include "ChunkWriter.h"
#include "FrameRounding.h"
#include "OpenDmlIndex.h"
#include "Padding.h"

namespace trelvox {
namespace {

constexpr uint32_t kFixedHeaderBytes =
    2 * kRiffListHeaderBytes + kRiffChunkHeaderBytes + kMainAviHeaderBytes;  // RIFF, hdrl, avih
constexpr uint32_t kStrlOverhead =
    kRiffListHeaderBytes + kRiffChunkHeaderBytes + kAviStreamHeaderBytes + kRiffChunkHeaderBytes;  // strl, strh, strf
constexpr uint32_t kOdmlList = kRiffListHeaderBytes + kRiffChunkHeaderBytes + kOdmlExtendedHeaderBytes;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kHundredNsPerSecond = 10000000;

uint32_t VideoStrlBytes(const VideoFormat& v)
{
    return kStrlOverhead + v.BiSize();
}
uint32_t AudioStrlBytes(const AudioFormat& a)
{
    return kStrlOverhead + a.CbFormat() + (a.CbFormat() & 1u);
}

uint32_t SuperIndexSlot(const OdmlHeaderParts* odml)
{
    return odml ? odml->indexBlockBytes : 0;
}

// The super index slot of a strl: the held block, or JUNK before there is one.
void PutSuperIndex(ChunkWriter& w, const OdmlHeaderParts* odml, const uint8_t* block)
{
    if (!odml)
        return;
    if (block) {
        w.PutBytes(block, kIndexDataBytes);
        w.Skip(odml->indexBlockBytes - kIndexDataBytes);
    } else {
        w.PutJunk(odml->indexBlockBytes, true);
    }
}

uint32_t VideoHandler(const VideoFormat& v, const AviRunFigures& run)
{
    if (run.fourccOverride != 0)
        return run.fourccOverride;
    const uint32_t compression = v.Compression();
    return compression == kBiRgb || compression == kBiBitfields ? Fourcc("DIB ") : compression;
}

// The strl sizes are the ones AviHeaderSize counts: strf is never padded after a
// BITMAPINFOHEADER, and in an AVI 1.0 header the list leaves out the pad byte of an odd
// WAVEFORMATEX.
void PutStrlHeader(ChunkWriter& w, uint32_t listBytes)
{
    w.PutListHeader(Fourcc("LIST"), listBytes - kRiffChunkHeaderBytes, Fourcc("strl"));
}

void PutVideoStrl(ChunkWriter& w, const VideoFormat& v, const AviRunFigures& run, const AviFileFigures& file,
                  const OdmlHeaderParts* odml)
{
    PutStrlHeader(w, VideoStrlBytes(v) + SuperIndexSlot(odml));
    AviStreamHeader strh{};
    strh.fccType = Fourcc("vids");
    strh.fccHandler = VideoHandler(v, run);
    strh.dwScale = static_cast<uint32_t>(run.frameDuration);
    strh.dwRate = kHundredNsPerSecond;
    strh.dwStart = file.videoStart;
    strh.dwLength = file.videoFrames;
    strh.dwSuggestedBufferSize = run.maxVideoSample + kRiffChunkHeaderBytes;
    strh.rcFrame.right = static_cast<int16_t>(v.Width());
    strh.rcFrame.bottom = static_cast<int16_t>(v.Height());
    w.PutChunk(Fourcc("strh"), strh);
    w.Put(RiffChunkHeader{Fourcc("strf"), v.BiSize()});
    w.PutBytes(v.bitmapInfoHeader.data(), v.BiSize());
    PutSuperIndex(w, odml, odml ? odml->videoSuperIndex : nullptr);
}

void PutAudioStrl(ChunkWriter& w, const AudioFormat& a, const AviRunFigures& run, const AviFileFigures& file,
                  const OdmlHeaderParts* odml)
{
    const uint32_t unpadded = kStrlOverhead + a.CbFormat();
    PutStrlHeader(w, odml ? AudioStrlBytes(a) + odml->indexBlockBytes : unpadded);
    AviStreamHeader strh{};
    strh.fccType = Fourcc("auds");
    strh.dwScale = a.BlockAlign();
    strh.dwRate = a.AvgBytesPerSec();
    strh.dwStart = file.audioStart;
    strh.dwLength = file.audioBlocks;
    strh.dwSuggestedBufferSize = run.maxAudioSample + kRiffChunkHeaderBytes;
    strh.dwSampleSize = a.BlockAlign();
    w.PutChunk(Fourcc("strh"), strh);
    const ChunkWriter::Mark strf = w.BeginChunk(Fourcc("strf"));
    w.PutBytes(a.waveFormat.data(), a.CbFormat());
    w.End(strf);
    PutSuperIndex(w, odml, odml ? odml->audioSuperIndex : nullptr);
}

void PutOdmlList(ChunkWriter& w, uint32_t totalFrames)
{
    const ChunkWriter::Mark odml = w.BeginList(Fourcc("odml"));
    OdmlExtendedHeader dmlh{};
    dmlh.dwTotalFrames = totalFrames;
    w.PutChunk(Fourcc("dmlh"), dmlh);
    w.End(odml);
}

MainAviHeader MainHeader(const MuxInputs& inputs, const AviRunFigures& run, const AviFileFigures& file)
{
    MainAviHeader avih{};
    uint64_t maxBytesPerSec = 0;
    if (inputs.video && run.frameDuration > 0) {
        avih.dwMicroSecPerFrame = static_cast<uint32_t>(run.frameDuration / 10);
        maxBytesPerSec =
            static_cast<uint64_t>(run.maxVideoSample) * kHundredNsPerSecond / static_cast<uint64_t>(run.frameDuration);
    }
    if (inputs.audio)
        maxBytesPerSec += inputs.audio->AvgBytesPerSec();
    avih.dwMaxBytesPerSec = static_cast<uint32_t>(maxBytesPerSec);
    avih.dwPaddingGranularity = run.sectorSize;
    avih.dwFlags = file.indexed && !file.openEnded ? kAviHasIndex : 0;
    avih.dwTotalFrames = file.videoFrames;
    avih.dwStreams = (inputs.video ? 1u : 0u) + (inputs.audio ? 1u : 0u);
    avih.dwSuggestedBufferSize = std::max(run.maxVideoSample, run.maxAudioSample) + kRiffChunkHeaderBytes;
    if (inputs.video) {
        avih.dwWidth = static_cast<uint32_t>(std::abs(static_cast<int64_t>(inputs.video->Width())));
        avih.dwHeight = static_cast<uint32_t>(std::abs(static_cast<int64_t>(inputs.video->Height())));
    }
    return avih;
}

}  // namespace

uint32_t AviHeaderSize(const MuxInputs& inputs, uint32_t sectorSize, uint32_t indexBlockBytes)
{
    uint64_t size = kFixedHeaderBytes + kRiffListHeaderBytes;
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
    const uint32_t moviHeaderAt = h - kRiffListHeaderBytes;
    const uint32_t fileBytes = h + file.moviBytes + file.indexRegionBytes;
    ChunkWriter w(out);
    w.PutListHeader(Fourcc("RIFF"), file.openEnded ? 0 : fileBytes - kRiffChunkHeaderBytes, Fourcc("AVI "));
    const ChunkWriter::Mark hdrl = w.BeginList(Fourcc("hdrl"));
    w.PutChunk(Fourcc("avih"), MainHeader(inputs, run, file));
    if (inputs.video)
        PutVideoStrl(w, *inputs.video, run, file, odml);
    if (inputs.audio)
        PutAudioStrl(w, *inputs.audio, run, file, odml);
    if (odml)
        PutOdmlList(w, odml->totalFrames);
    if (w.Position() != moviHeaderAt)
        w.PutJunk(static_cast<uint32_t>(moviHeaderAt - w.Position()), true);
    w.End(hdrl);
    w.PutListHeader(Fourcc("LIST"), file.openEnded ? 0 : ListCb(file.moviBytes), Fourcc("movi"));
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
