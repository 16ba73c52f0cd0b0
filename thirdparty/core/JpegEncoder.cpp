#include "JpegEncoder.h"

#include <algorithm>
#include <cmath>

#include "JpegBitWriter.h"
#include "JpegTables.h"

namespace standin {
namespace {

enum Marker : uint8_t {
    kSoi = 0xD8,
    kEoi = 0xD9,
    kSof0 = 0xC0,
    kDht = 0xC4,
    kDqt = 0xDB,
    kSos = 0xDA,
};

enum TableId : uint8_t { kLuminanceTable = 0, kChrominanceTable = 1 };
enum HuffmanClass : uint8_t { kDcClass = 0, kAcClass = 1 };

constexpr int kBlockSize = 8;
constexpr int kMcuWidth = 16;  // two luminance blocks side by side, one block of each chroma
constexpr uint8_t kZeroRun16 = 0xF0;
constexpr uint8_t kEndOfBlock = 0x00;

using Block = float[64];

// One 8-point pass of the Arai-Agui-Nakajima DCT over values `stride` apart. Output k is
// the true coefficient times 8 * kAanScale[k] (for a 2-D pass, times both factors); the
// quantiser divides that out.
void AanPass(float* d, int stride)
{
    const float tmp0 = d[0] + d[7 * stride], tmp7 = d[0] - d[7 * stride];
    const float tmp1 = d[stride] + d[6 * stride], tmp6 = d[stride] - d[6 * stride];
    const float tmp2 = d[2 * stride] + d[5 * stride], tmp5 = d[2 * stride] - d[5 * stride];
    const float tmp3 = d[3 * stride] + d[4 * stride], tmp4 = d[3 * stride] - d[4 * stride];

    const float even0 = tmp0 + tmp3, even3 = tmp0 - tmp3;
    const float even1 = tmp1 + tmp2, even2 = tmp1 - tmp2;
    d[0] = even0 + even1;
    d[4 * stride] = even0 - even1;
    const float rotated = (even2 + even3) * 0.707106781f;
    d[2 * stride] = even3 + rotated;
    d[6 * stride] = even3 - rotated;

    const float odd0 = tmp4 + tmp5, odd1 = tmp5 + tmp6, odd2 = tmp6 + tmp7;
    const float z5 = (odd0 - odd2) * 0.382683433f;
    const float z2 = 0.541196100f * odd0 + z5;
    const float z4 = 1.306562965f * odd2 + z5;
    const float z3 = odd1 * 0.707106781f;
    const float z11 = tmp7 + z3, z13 = tmp7 - z3;
    d[5 * stride] = z13 + z2;
    d[3 * stride] = z13 - z2;
    d[stride] = z11 + z4;
    d[7 * stride] = z11 - z4;
}

void ForwardDct(Block& block)
{
    for (int row = 0; row < 8; ++row)
        AanPass(block + row * 8, 1);
    for (int column = 0; column < 8; ++column)
        AanPass(block + column, 8);
}

// cos(k pi / 16) * sqrt(2), and 1 for k = 0.
float AanScale(int k)
{
    return k == 0 ? 1.0f : static_cast<float>(std::cos(k * std::acos(-1.0) / 16.0) * std::sqrt(2.0));
}

// 1 / (quantiser * the scale the AAN passes leave in each coefficient), natural order.
void QuantReciprocals(const uint8_t (&quant)[64], float (&reciprocals)[64])
{
    for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u)
            reciprocals[v * 8 + u] = 1.0f / (quant[v * 8 + u] * AanScale(u) * AanScale(v) * 8.0f);
}

// Video range to the full range JPEG (JFIF) pictures use, shifted to centre on zero.
float LumaLevel(uint8_t y)
{
    return (static_cast<float>(y) - 16.0f) * (255.0f / 219.0f) - 128.0f;
}

float ChromaLevel(uint8_t c)
{
    return (static_cast<float>(c) - 128.0f) * (255.0f / 224.0f);
}

// Rounds half away from zero, without a library call.
int RoundToInt(float value)
{
    return static_cast<int>(value >= 0 ? value + 0.5f : value - 0.5f);
}

struct Component {
    const float* reciprocals;  // see QuantReciprocals
    const HuffmanCodes* dc;
    const HuffmanCodes* ac;
    int previousDc = 0;
};

int Category(int value)
{
    int magnitude = value < 0 ? -value : value;
    int bits = 0;
    while (magnitude) {
        ++bits;
        magnitude >>= 1;
    }
    return bits;
}

void PutValue(JpegBitWriter& writer, int value, int category)
{
    if (category)
        writer.Put(static_cast<uint32_t>(value < 0 ? value - 1 : value), category);
}

void PutCode(JpegBitWriter& writer, const HuffmanCodes& codes, uint8_t symbol)
{
    writer.Put(codes[symbol].bits, codes[symbol].length);
}

void EncodeBlock(JpegBitWriter& writer, Block& samples, Component& component)
{
    ForwardDct(samples);
    const Block& coefficients = samples;
    int quantised[64];
    for (int i = 0; i < 64; ++i) {
        const int natural = kZigZag[i];
        quantised[i] = RoundToInt(coefficients[natural] * component.reciprocals[natural]);
    }

    const int difference = quantised[0] - component.previousDc;
    component.previousDc = quantised[0];
    const int dcCategory = Category(difference);
    PutCode(writer, *component.dc, static_cast<uint8_t>(dcCategory));
    PutValue(writer, difference, dcCategory);

    int run = 0;
    for (int i = 1; i < 64; ++i) {
        if (quantised[i] == 0) {
            ++run;
            continue;
        }
        for (; run >= 16; run -= 16)
            PutCode(writer, *component.ac, kZeroRun16);
        const int category = Category(quantised[i]);
        PutCode(writer, *component.ac, static_cast<uint8_t>((run << 4) | category));
        PutValue(writer, quantised[i], category);
        run = 0;
    }
    if (run > 0)
        PutCode(writer, *component.ac, kEndOfBlock);
}

// Reads the pixels of one MCU (16 x 8 pixels) into two luma blocks and one block of each
// chroma; pixels beyond the picture repeat its last column and row.
void ReadMcu(const Yuy2Picture& picture, int left, int top, Block (&luma)[2], Block& cb, Block& cr)
{
    for (int y = 0; y < kBlockSize; ++y) {
        const uint8_t* row = picture.data + std::min(top + y, picture.height - 1) * picture.stride;
        for (int x = 0; x < kMcuWidth; ++x) {
            const int pixel = std::min(left + x, picture.width - 1);
            luma[x / kBlockSize][y * kBlockSize + x % kBlockSize] = LumaLevel(row[pixel * 2]);
        }
        for (int x = 0; x < kBlockSize; ++x) {
            const int pair = std::min(left / 2 + x, picture.width / 2 - 1);
            cb[y * kBlockSize + x] = ChromaLevel(row[pair * 4 + 1]);
            cr[y * kBlockSize + x] = ChromaLevel(row[pair * 4 + 3]);
        }
    }
}

void PutMarker(std::vector<uint8_t>& out, Marker marker)
{
    out.push_back(0xFF);
    out.push_back(marker);
}

void PutWord(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void PutQuantTable(std::vector<uint8_t>& out, TableId id, const uint8_t (&table)[64])
{
    PutMarker(out, kDqt);
    PutWord(out, 2 + 1 + 64);
    out.push_back(id);  // 8-bit precision
    for (int i = 0; i < 64; ++i)
        out.push_back(table[kZigZag[i]]);
}

void PutHuffmanTable(std::vector<uint8_t>& out, HuffmanClass tableClass, TableId id, const HuffmanTable& table)
{
    PutMarker(out, kDht);
    PutWord(out, 2 + 1 + 16 + table.valueCount);
    out.push_back(static_cast<uint8_t>(tableClass << 4 | id));
    out.insert(out.end(), table.counts, table.counts + 16);
    out.insert(out.end(), table.values, table.values + table.valueCount);
}

struct ComponentLayout {
    uint8_t id;
    uint8_t sampling;  // horizontal << 4 | vertical
    TableId table;
};

const ComponentLayout kComponents[3] = {
    {1, 0x21, kLuminanceTable}, {2, 0x11, kChrominanceTable}, {3, 0x11, kChrominanceTable}};

void PutFrameHeader(std::vector<uint8_t>& out, int width, int height)
{
    PutMarker(out, kSof0);
    PutWord(out, 2 + 6 + 3 * 3);
    out.push_back(8);  // sample precision
    PutWord(out, height);
    PutWord(out, width);
    out.push_back(3);
    for (const ComponentLayout& component : kComponents) {
        out.push_back(component.id);
        out.push_back(component.sampling);
        out.push_back(component.table);
    }
}

void PutScanHeader(std::vector<uint8_t>& out)
{
    PutMarker(out, kSos);
    PutWord(out, 2 + 1 + 3 * 2 + 3);
    out.push_back(3);
    for (const ComponentLayout& component : kComponents) {
        out.push_back(component.id);
        out.push_back(static_cast<uint8_t>(component.table << 4 | component.table));  // DC, AC tables
    }
    out.push_back(0);   // spectral selection start
    out.push_back(63);  // spectral selection end
    out.push_back(0);   // successive approximation
}

}  // namespace

void ScaledQuantTable(const uint8_t (&base)[64], int quality, uint8_t (&table)[64])
{
    quality = std::clamp(quality, kMinJpegQuality, kMaxJpegQuality);
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    for (int i = 0; i < 64; ++i)
        table[i] = static_cast<uint8_t>(std::clamp((base[i] * scale + 50) / 100, 1, 255));
}

void EncodeJpeg(const Yuy2Picture& picture, int quality, std::vector<uint8_t>& out)
{
    static const HuffmanCodes lumaDc(kLuminanceDc), lumaAc(kLuminanceAc);
    static const HuffmanCodes chromaDc(kChrominanceDc), chromaAc(kChrominanceAc);
    uint8_t lumaQuant[64], chromaQuant[64];
    ScaledQuantTable(kLuminanceQuant, quality, lumaQuant);
    ScaledQuantTable(kChrominanceQuant, quality, chromaQuant);

    PutMarker(out, kSoi);
    PutQuantTable(out, kLuminanceTable, lumaQuant);
    PutQuantTable(out, kChrominanceTable, chromaQuant);
    PutFrameHeader(out, picture.width, picture.height);
    PutHuffmanTable(out, kDcClass, kLuminanceTable, kLuminanceDc);
    PutHuffmanTable(out, kAcClass, kLuminanceTable, kLuminanceAc);
    PutHuffmanTable(out, kDcClass, kChrominanceTable, kChrominanceDc);
    PutHuffmanTable(out, kAcClass, kChrominanceTable, kChrominanceAc);
    PutScanHeader(out);

    float lumaReciprocals[64], chromaReciprocals[64];
    QuantReciprocals(lumaQuant, lumaReciprocals);
    QuantReciprocals(chromaQuant, chromaReciprocals);
    Component luma{lumaReciprocals, &lumaDc, &lumaAc};
    Component cb{chromaReciprocals, &chromaDc, &chromaAc};
    Component cr{chromaReciprocals, &chromaDc, &chromaAc};
    JpegBitWriter writer(out);
    Block lumaBlocks[2], cbBlock, crBlock;
    for (int top = 0; top < picture.height; top += kBlockSize)
        for (int left = 0; left < picture.width; left += kMcuWidth) {
            ReadMcu(picture, left, top, lumaBlocks, cbBlock, crBlock);
            EncodeBlock(writer, lumaBlocks[0], luma);
            EncodeBlock(writer, lumaBlocks[1], luma);
            EncodeBlock(writer, cbBlock, cb);
            EncodeBlock(writer, crBlock, cr);
        }
    writer.Flush();
    PutMarker(out, kEoi);
}

}  // namespace standin
