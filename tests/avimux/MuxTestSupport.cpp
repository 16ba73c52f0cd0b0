#include "MuxTestSupport.h"

#include <stdexcept>

#include "ByteOrder.h"

namespace trelvox::test {

VideoFormat MakeVideo(int32_t width, int32_t height, uint32_t compression, int64_t frameDuration, uint32_t biSize)
{
    VideoFormat v;
    v.frameDuration = frameDuration;
    v.bitmapInfoHeader.assign(biSize, 0);
    uint8_t* b = v.bitmapInfoHeader.data();
    PutU32(b, biSize);
    PutU32(b + 4, static_cast<uint32_t>(width));
    PutU32(b + 8, static_cast<uint32_t>(height));
    PutU16(b + 12, 1);
    PutU16(b + 14, compression == kYuy2 ? 16 : 24);
    PutU32(b + 16, compression);
    const int32_t rows = height < 0 ? -height : height;
    PutU32(b + 20, static_cast<uint32_t>(width * rows * (compression == kYuy2 ? 2 : 3)));
    return v;
}

AudioFormat MakeAudio(uint32_t rate, uint16_t channels, uint16_t bits, uint16_t extra)
{
    AudioFormat a;
    a.waveFormat.assign(18u + extra, 0);
    uint8_t* w = a.waveFormat.data();
    const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
    PutU16(w, 1);
    PutU16(w + 2, channels);
    PutU32(w + 4, rate);
    PutU32(w + 8, rate * blockAlign);
    PutU16(w + 12, blockAlign);
    PutU16(w + 14, bits);
    PutU16(w + 16, extra);
    return a;
}

SectorBufferPool& Sector512Buffers()
{
    static const std::shared_ptr<SectorBufferPool> pool = SectorBufferPool::Create(512, 8);
    return *pool;
}

MuxSample TimedSample(const std::vector<uint8_t>& data, int64_t start, bool sync)
{
    MuxSample s;
    s.data = data.data();
    s.length = static_cast<uint32_t>(data.size());
    s.hasTime = true;
    s.start = start;
    s.stop = start + 1;
    s.syncPoint = sync;
    return s;
}

std::vector<uint8_t> Yuy2Picture(int width, int height, int frame)
{
    std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 2);
    for (size_t i = 0; i < picture.size(); i += 2) {
        const size_t x = (i / 2) % width;
        picture[i] = static_cast<uint8_t>(16 + (frame * 7 + x) % 200);  // luma
        picture[i + 1] = 128;                                           // chroma
    }
    return picture;
}

AviView::AviView(const std::vector<uint8_t>& b) : bytes(b)
{
    if (b.size() < 12 || Id(0) != "RIFF")
        throw std::runtime_error("not a RIFF file");
    const ByteSource source = BytesOf(b);
    const AviReader r(source);
    for (const Chunk& c : Children(r, 12, b.size())) {
        const std::string form = c.id == "LIST" ? Form(r, c) : std::string();
        if (form == "hdrl") {
            for (const Chunk& list : ListChildren(r, c)) {
                if (list.id != "LIST" || Form(r, list) != "strl")
                    continue;
                strh.push_back(list.offset + 20);
                strf.push_back(list.offset + 12 + 64);
            }
        } else if (form == "movi") {
            moviList = c.offset;
            for (const Chunk& m : ListChildren(r, c))
                (m.id == "JUNK" ? moviJunk : moviChunks).push_back(m);
        } else if (c.id == "idx1") {
            idx1 = c.offset;
            break;
        }
    }
}

uint32_t AviView::U32(uint64_t at) const
{
    if (at + 4 > bytes.size())
        throw std::runtime_error("read past the end");
    return GetU32(&bytes[at]);
}

std::string AviView::Id(uint64_t at) const
{
    if (at + 4 > bytes.size())
        throw std::runtime_error("read past the end");
    return std::string(reinterpret_cast<const char*>(&bytes[at]), 4);
}

}  // namespace trelvox::test
