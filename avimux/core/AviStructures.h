// The AVI and OpenDML structures as they lie on disk, under the format's own field
// names. Packed so that offsetof gives the offset in the file; the bytes themselves are
// stored and loaded field by field, little-endian, by the functions below.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trelvox {

#pragma pack(push, 1)

struct RiffChunkHeader {
    uint32_t ckid;
    uint32_t cb;  // data bytes, without the pad byte of an odd size
};

// "RIFF" or "LIST" with its form or list type.
struct RiffListHeader {
    uint32_t ckid;
    uint32_t cb;  // counts the list type and the chunks
    uint32_t fccListType;
};

// MainAVIHeader, the data of "avih".
struct MainAviHeader {
    uint32_t dwMicroSecPerFrame;
    uint32_t dwMaxBytesPerSec;
    uint32_t dwPaddingGranularity;
    uint32_t dwFlags;
    uint32_t dwTotalFrames;
    uint32_t dwInitialFrames;
    uint32_t dwStreams;
    uint32_t dwSuggestedBufferSize;
    uint32_t dwWidth;
    uint32_t dwHeight;
    uint32_t dwReserved[4];
};

struct AviRect16 {
    int16_t left;
    int16_t top;
    int16_t right;
    int16_t bottom;
};

// AVIStreamHeader, the data of "strh".
struct AviStreamHeader {
    uint32_t fccType;
    uint32_t fccHandler;
    uint32_t dwFlags;
    uint16_t wPriority;
    uint16_t wLanguage;
    uint32_t dwInitialFrames;
    uint32_t dwScale;
    uint32_t dwRate;
    uint32_t dwStart;
    uint32_t dwLength;
    uint32_t dwSuggestedBufferSize;
    uint32_t dwQuality;
    uint32_t dwSampleSize;
    AviRect16 rcFrame;
};

// AVIINDEXENTRY, one entry of "idx1".
struct AviIndexEntry {
    uint32_t ckid;
    uint32_t dwFlags;
    uint32_t dwChunkOffset;  // from the "movi" code to the chunk header
    uint32_t dwChunkLength;
};

// AVISUPERINDEX ("indx") without its entries; the common AVIMETAINDEX head.
struct AviSuperIndexHeader {
    uint32_t fcc;
    uint32_t cb;
    uint16_t wLongsPerEntry;
    uint8_t bIndexSubType;
    uint8_t bIndexType;
    uint32_t nEntriesInUse;
    uint32_t dwChunkId;
    uint32_t dwReserved[3];
};

// One aIndex entry of a super index: a standard index chunk.
struct AviSuperIndexEntry {
    uint64_t qwOffset;
    uint32_t dwSize;
    uint32_t dwDuration;
};

// AVISTDINDEX ("ix##") without its entries.
struct AviStdIndexHeader {
    uint32_t fcc;
    uint32_t cb;
    uint16_t wLongsPerEntry;
    uint8_t bIndexSubType;
    uint8_t bIndexType;
    uint32_t nEntriesInUse;
    uint32_t dwChunkId;
    uint64_t qwBaseOffset;
    uint32_t dwReserved3;
};

// One aIndex entry of a standard index: a chunk's data.
struct AviStdIndexEntry {
    uint32_t dwOffset;  // from qwBaseOffset
    uint32_t dwSize;    // with kAviStdIndexDeltaFrame set for a frame that is not a key frame
};

// AVIEXTHEADER, the data of "dmlh".
struct OdmlExtendedHeader {
    uint32_t dwTotalFrames;
    uint32_t dwFuture[61];
};

struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

// VIDEOINFOHEADER up to its bmiHeader: DirectShow's video format block.
struct VideoInfoHeaderHead {
    int32_t rcSource[4];
    int32_t rcTarget[4];
    uint32_t dwBitRate;
    uint32_t dwBitErrorRate;
    int64_t AvgTimePerFrame;
};

// VIDEOINFOHEADER2 up to its bmiHeader.
struct VideoInfoHeader2Head {
    VideoInfoHeaderHead head;  // the same first fields
    uint32_t dwInterlaceFlags;
    uint32_t dwCopyProtectFlags;
    uint32_t dwPictAspectRatioX;
    uint32_t dwPictAspectRatioY;
    uint32_t dwControlFlags;
    uint32_t dwReserved2;
};

struct WaveFormatEx {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
};

#pragma pack(pop)

constexpr uint32_t kRiffChunkHeaderBytes = sizeof(RiffChunkHeader);
constexpr uint32_t kRiffListHeaderBytes = sizeof(RiffListHeader);
constexpr uint32_t kMainAviHeaderBytes = sizeof(MainAviHeader);
constexpr uint32_t kAviStreamHeaderBytes = sizeof(AviStreamHeader);
constexpr uint32_t kAviIndexEntryBytes = sizeof(AviIndexEntry);
constexpr uint32_t kAviSuperIndexHeaderBytes = sizeof(AviSuperIndexHeader);
constexpr uint32_t kAviSuperIndexEntryBytes = sizeof(AviSuperIndexEntry);
constexpr uint32_t kAviStdIndexHeaderBytes = sizeof(AviStdIndexHeader);
constexpr uint32_t kAviStdIndexEntryBytes = sizeof(AviStdIndexEntry);
constexpr uint32_t kOdmlExtendedHeaderBytes = sizeof(OdmlExtendedHeader);
constexpr uint32_t kBitmapInfoHeaderBytes = sizeof(BitmapInfoHeader);
constexpr uint32_t kPcmWaveFormatBytes = offsetof(WaveFormatEx, cbSize);    // PCMWAVEFORMAT
constexpr uint32_t kVideoInfoBitmapOffset = sizeof(VideoInfoHeaderHead);    // VIDEOINFOHEADER.bmiHeader
constexpr uint32_t kVideoInfo2BitmapOffset = sizeof(VideoInfoHeader2Head);  // VIDEOINFOHEADER2.bmiHeader

static_assert(kRiffChunkHeaderBytes == 8 && kRiffListHeaderBytes == 12);
static_assert(kMainAviHeaderBytes == 56 && kAviStreamHeaderBytes == 56);
static_assert(kAviIndexEntryBytes == 16);
static_assert(kAviSuperIndexHeaderBytes == 32 && kAviSuperIndexEntryBytes == 16);
static_assert(kAviStdIndexHeaderBytes == 32 && kAviStdIndexEntryBytes == 8);
static_assert(offsetof(AviStdIndexHeader, qwBaseOffset) == 20);
static_assert(kOdmlExtendedHeaderBytes == 248);
static_assert(kBitmapInfoHeaderBytes == 40 && sizeof(WaveFormatEx) == 18 && kPcmWaveFormatBytes == 16);
static_assert(offsetof(VideoInfoHeaderHead, AvgTimePerFrame) == 40);
static_assert(kVideoInfoBitmapOffset == 48 && kVideoInfo2BitmapOffset == 72);

// cb of a list whose chunks take `chunkBytes`: they and the list type.
constexpr uint32_t ListCb(uint32_t chunkBytes)
{
    return chunkBytes + kRiffListHeaderBytes - kRiffChunkHeaderBytes;
}

// idx1 offsets count from the list type of movi, this many bytes before its data.
constexpr uint32_t kIdx1OffsetBias = kRiffListHeaderBytes - offsetof(RiffListHeader, fccListType);

constexpr uint32_t kAviHasIndex = 0x10;                  // AVIF_HASINDEX
constexpr uint32_t kAviIndexKeyFrame = 0x10;             // AVIIF_KEYFRAME
constexpr uint8_t kAviIndexOfIndexes = 0x00;             // AVI_INDEX_OF_INDEXES
constexpr uint8_t kAviIndexOfChunks = 0x01;              // AVI_INDEX_OF_CHUNKS
constexpr uint8_t kAviIndexSubDefault = 0x00;            // AVI_INDEX_SUB_DEFAULT
constexpr uint32_t kAviStdIndexDeltaFrame = 0x80000000;  // AVISTDINDEX_DELTAFRAME

// wLongsPerEntry of an index whose entries are of type Entry.
template <typename Entry>
constexpr uint16_t LongsPerEntry()
{
    return static_cast<uint16_t>(sizeof(Entry) / sizeof(uint32_t));
}

// Little-endian stores of whole structures and loads of those the reader needs.
void Store(const RiffChunkHeader& h, uint8_t* out);
void Store(const RiffListHeader& h, uint8_t* out);
void Store(const MainAviHeader& h, uint8_t* out);
void Store(const AviStreamHeader& h, uint8_t* out);
void Store(const AviIndexEntry& e, uint8_t* out);
void Store(const AviSuperIndexHeader& h, uint8_t* out);
void Store(const AviSuperIndexEntry& e, uint8_t* out);
void Store(const AviStdIndexHeader& h, uint8_t* out);
void Store(const AviStdIndexEntry& e, uint8_t* out);
void Store(const OdmlExtendedHeader& h, uint8_t* out);

RiffChunkHeader LoadChunkHeader(const uint8_t* in);
MainAviHeader LoadMainAviHeader(const uint8_t* in);
AviStreamHeader LoadStreamHeader(const uint8_t* in);

}  // namespace trelvox
