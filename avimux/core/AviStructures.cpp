#include "AviStructures.h"

#include "ByteOrder.h"

namespace trelvox {

void Store(const RiffChunkHeader& h, uint8_t* out)
{
    using S = RiffChunkHeader;
    PutU32(out + offsetof(S, ckid), h.ckid);
    PutU32(out + offsetof(S, cb), h.cb);
}

void Store(const RiffListHeader& h, uint8_t* out)
{
    using S = RiffListHeader;
    PutU32(out + offsetof(S, ckid), h.ckid);
    PutU32(out + offsetof(S, cb), h.cb);
    PutU32(out + offsetof(S, fccListType), h.fccListType);
}

void Store(const MainAviHeader& h, uint8_t* out)
{
    using S = MainAviHeader;
    PutU32(out + offsetof(S, dwMicroSecPerFrame), h.dwMicroSecPerFrame);
    PutU32(out + offsetof(S, dwMaxBytesPerSec), h.dwMaxBytesPerSec);
    PutU32(out + offsetof(S, dwPaddingGranularity), h.dwPaddingGranularity);
    PutU32(out + offsetof(S, dwFlags), h.dwFlags);
    PutU32(out + offsetof(S, dwTotalFrames), h.dwTotalFrames);
    PutU32(out + offsetof(S, dwInitialFrames), h.dwInitialFrames);
    PutU32(out + offsetof(S, dwStreams), h.dwStreams);
    PutU32(out + offsetof(S, dwSuggestedBufferSize), h.dwSuggestedBufferSize);
    PutU32(out + offsetof(S, dwWidth), h.dwWidth);
    PutU32(out + offsetof(S, dwHeight), h.dwHeight);
    for (int i = 0; i < 4; ++i)
        PutU32(out + offsetof(S, dwReserved) + 4 * i, h.dwReserved[i]);
}

void Store(const AviStreamHeader& h, uint8_t* out)
{
    using S = AviStreamHeader;
    PutU32(out + offsetof(S, fccType), h.fccType);
    PutU32(out + offsetof(S, fccHandler), h.fccHandler);
    PutU32(out + offsetof(S, dwFlags), h.dwFlags);
    PutU16(out + offsetof(S, wPriority), h.wPriority);
    PutU16(out + offsetof(S, wLanguage), h.wLanguage);
    PutU32(out + offsetof(S, dwInitialFrames), h.dwInitialFrames);
    PutU32(out + offsetof(S, dwScale), h.dwScale);
    PutU32(out + offsetof(S, dwRate), h.dwRate);
    PutU32(out + offsetof(S, dwStart), h.dwStart);
    PutU32(out + offsetof(S, dwLength), h.dwLength);
    PutU32(out + offsetof(S, dwSuggestedBufferSize), h.dwSuggestedBufferSize);
    PutU32(out + offsetof(S, dwQuality), h.dwQuality);
    PutU32(out + offsetof(S, dwSampleSize), h.dwSampleSize);
    uint8_t* frame = out + offsetof(S, rcFrame);
    PutU16(frame + offsetof(AviRect16, left), static_cast<uint16_t>(h.rcFrame.left));
    PutU16(frame + offsetof(AviRect16, top), static_cast<uint16_t>(h.rcFrame.top));
    PutU16(frame + offsetof(AviRect16, right), static_cast<uint16_t>(h.rcFrame.right));
    PutU16(frame + offsetof(AviRect16, bottom), static_cast<uint16_t>(h.rcFrame.bottom));
}

void Store(const AviIndexEntry& e, uint8_t* out)
{
    using S = AviIndexEntry;
    PutU32(out + offsetof(S, ckid), e.ckid);
    PutU32(out + offsetof(S, dwFlags), e.dwFlags);
    PutU32(out + offsetof(S, dwChunkOffset), e.dwChunkOffset);
    PutU32(out + offsetof(S, dwChunkLength), e.dwChunkLength);
}

namespace {

// The AVIMETAINDEX head both index chunks begin with.
template <typename S>
void StoreIndexHead(const S& h, uint8_t* out)
{
    PutU32(out + offsetof(S, fcc), h.fcc);
    PutU32(out + offsetof(S, cb), h.cb);
    PutU16(out + offsetof(S, wLongsPerEntry), h.wLongsPerEntry);
    out[offsetof(S, bIndexSubType)] = h.bIndexSubType;
    out[offsetof(S, bIndexType)] = h.bIndexType;
    PutU32(out + offsetof(S, nEntriesInUse), h.nEntriesInUse);
    PutU32(out + offsetof(S, dwChunkId), h.dwChunkId);
}

}  // namespace

void Store(const AviSuperIndexHeader& h, uint8_t* out)
{
    using S = AviSuperIndexHeader;
    StoreIndexHead(h, out);
    for (int i = 0; i < 3; ++i)
        PutU32(out + offsetof(S, dwReserved) + 4 * i, h.dwReserved[i]);
}

void Store(const AviSuperIndexEntry& e, uint8_t* out)
{
    using S = AviSuperIndexEntry;
    PutU64(out + offsetof(S, qwOffset), e.qwOffset);
    PutU32(out + offsetof(S, dwSize), e.dwSize);
    PutU32(out + offsetof(S, dwDuration), e.dwDuration);
}

void Store(const AviStdIndexHeader& h, uint8_t* out)
{
    using S = AviStdIndexHeader;
    StoreIndexHead(h, out);
    PutU64(out + offsetof(S, qwBaseOffset), h.qwBaseOffset);
    PutU32(out + offsetof(S, dwReserved3), h.dwReserved3);
}

void Store(const AviStdIndexEntry& e, uint8_t* out)
{
    using S = AviStdIndexEntry;
    PutU32(out + offsetof(S, dwOffset), e.dwOffset);
    PutU32(out + offsetof(S, dwSize), e.dwSize);
}

void Store(const OdmlExtendedHeader& h, uint8_t* out)
{
    using S = OdmlExtendedHeader;
    PutU32(out + offsetof(S, dwTotalFrames), h.dwTotalFrames);
    for (int i = 0; i < 61; ++i)
        PutU32(out + offsetof(S, dwFuture) + 4 * i, h.dwFuture[i]);
}

RiffChunkHeader LoadChunkHeader(const uint8_t* in)
{
    using S = RiffChunkHeader;
    RiffChunkHeader h{};
    h.ckid = GetU32(in + offsetof(S, ckid));
    h.cb = GetU32(in + offsetof(S, cb));
    return h;
}

MainAviHeader LoadMainAviHeader(const uint8_t* in)
{
    using S = MainAviHeader;
    MainAviHeader h{};
    h.dwMicroSecPerFrame = GetU32(in + offsetof(S, dwMicroSecPerFrame));
    h.dwMaxBytesPerSec = GetU32(in + offsetof(S, dwMaxBytesPerSec));
    h.dwPaddingGranularity = GetU32(in + offsetof(S, dwPaddingGranularity));
    h.dwFlags = GetU32(in + offsetof(S, dwFlags));
    h.dwTotalFrames = GetU32(in + offsetof(S, dwTotalFrames));
    h.dwInitialFrames = GetU32(in + offsetof(S, dwInitialFrames));
    h.dwStreams = GetU32(in + offsetof(S, dwStreams));
    h.dwSuggestedBufferSize = GetU32(in + offsetof(S, dwSuggestedBufferSize));
    h.dwWidth = GetU32(in + offsetof(S, dwWidth));
    h.dwHeight = GetU32(in + offsetof(S, dwHeight));
    return h;
}

AviStreamHeader LoadStreamHeader(const uint8_t* in)
{
    using S = AviStreamHeader;
    AviStreamHeader h{};
    h.fccType = GetU32(in + offsetof(S, fccType));
    h.fccHandler = GetU32(in + offsetof(S, fccHandler));
    h.dwFlags = GetU32(in + offsetof(S, dwFlags));
    h.wPriority = GetU16(in + offsetof(S, wPriority));
    h.wLanguage = GetU16(in + offsetof(S, wLanguage));
    h.dwInitialFrames = GetU32(in + offsetof(S, dwInitialFrames));
    h.dwScale = GetU32(in + offsetof(S, dwScale));
    h.dwRate = GetU32(in + offsetof(S, dwRate));
    h.dwStart = GetU32(in + offsetof(S, dwStart));
    h.dwLength = GetU32(in + offsetof(S, dwLength));
    h.dwSuggestedBufferSize = GetU32(in + offsetof(S, dwSuggestedBufferSize));
    h.dwQuality = GetU32(in + offsetof(S, dwQuality));
    h.dwSampleSize = GetU32(in + offsetof(S, dwSampleSize));
    const uint8_t* frame = in + offsetof(S, rcFrame);
    h.rcFrame.left = static_cast<int16_t>(GetU16(frame + offsetof(AviRect16, left)));
    h.rcFrame.top = static_cast<int16_t>(GetU16(frame + offsetof(AviRect16, top)));
    h.rcFrame.right = static_cast<int16_t>(GetU16(frame + offsetof(AviRect16, right)));
    h.rcFrame.bottom = static_cast<int16_t>(GetU16(frame + offsetof(AviRect16, bottom)));
    return h;
}

}  // namespace trelvox
