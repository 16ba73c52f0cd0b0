#include "RgbConversion.h"

#include <algorithm>
#include <array>

namespace stillimage {
namespace {

struct Coefficients {
    double rFromCr;
    double gFromCr;
    double gFromCb;
    double bFromCb;
};

constexpr double kLumaGain = 1.164;
constexpr Coefficients kBt709{1.7923499999999999, 0.5323564, 0.21280599999999997, 2.1119003999999997};
constexpr Coefficients kBt601{1.5954759999999997, 0.81269131999999988, 0.39163131999999995, 2.016536};

const Coefficients& CoefficientsOf(int matrix)
{
    return matrix == kMatrixBt709 ? kBt709 : kBt601;
}

uint8_t Clamped(double value)
{
    const double whole = static_cast<double>(static_cast<long>(value));
    return static_cast<uint8_t>(std::clamp(whole, 0.0, 255.0));
}

// Fixed point with 16 fraction bits. Each table entry is off by at most half a unit, so a
// sum of three is off by less than kNearWhole; sums nearer a whole number than that are
// left to the formula.
constexpr int kFractionBits = 16;
constexpr int32_t kOne = 1 << kFractionBits;
constexpr int32_t kNearWhole = 4;

int32_t Fixed(double value)
{
    const double scaled = value * kOne;
    return static_cast<int32_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
}

struct Tables {
    std::array<int32_t, 256> luma;
    std::array<int32_t, 256> rFromV;
    std::array<int32_t, 256> gFromU;  // both green terms are subtracted
    std::array<int32_t, 256> gFromV;
    std::array<int32_t, 256> bFromU;
};

Tables MakeTables(const Coefficients& c)
{
    Tables t{};
    for (int i = 0; i < 256; ++i) {
        const int chroma = i - 128;
        t.luma[i] = Fixed(kLumaGain * (i - 16));
        t.rFromV[i] = Fixed(c.rFromCr * chroma);
        t.gFromU[i] = Fixed(-c.gFromCb * chroma);
        t.gFromV[i] = Fixed(-c.gFromCr * chroma);
        t.bFromU[i] = Fixed(c.bFromCb * chroma);
    }
    return t;
}

const Tables& TablesOf(int matrix)
{
    static const Tables bt601 = MakeTables(kBt601);
    static const Tables bt709 = MakeTables(kBt709);
    return matrix == kMatrixBt709 ? bt709 : bt601;
}

bool NearWhole(int32_t fixed)
{
    return static_cast<uint32_t>(fixed + kNearWhole) % kOne < 2 * kNearWhole;
}

uint8_t FromFixed(int32_t fixed)
{
    return static_cast<uint8_t>(std::clamp(fixed >> kFractionBits, 0, 255));
}

// One pixel pair's chroma terms, shared by both of its pixels.
struct ChromaTerms {
    int32_t r, g, b;
};

ChromaTerms ChromaOf(const Tables& t, int u, int v)
{
    return {t.rFromV[v], t.gFromU[u] + t.gFromV[v], t.bFromU[u]};
}

Bgr PixelFromTables(const Tables& t, const ChromaTerms& chroma, int y, int u, int v, int matrix)
{
    const int32_t luma = t.luma[y];
    const int32_t r = luma + chroma.r;
    const int32_t g = luma + chroma.g;
    const int32_t b = luma + chroma.b;
    if (NearWhole(r) || NearWhole(g) || NearWhole(b))
        return ConvertPixelExact(y, u, v, matrix);
    return {FromFixed(b), FromFixed(g), FromFixed(r)};
}

void ConvertRow(const Tables& t, const uint8_t* source, int pairs, int matrix, uint8_t* out)
{
    for (int pair = 0; pair < pairs; ++pair, source += 4, out += 6) {
        const int y0 = source[0], u = source[1], y1 = source[2], v = source[3];
        const ChromaTerms chroma = ChromaOf(t, u, v);
        const Bgr first = PixelFromTables(t, chroma, y0, u, v, matrix);
        const Bgr second = PixelFromTables(t, chroma, y1, u, v, matrix);
        out[0] = first.b;
        out[1] = first.g;
        out[2] = first.r;
        out[3] = second.b;
        out[4] = second.g;
        out[5] = second.r;
    }
}

}  // namespace

Bgr ConvertPixelExact(int y, int u, int v, int matrix)
{
    const Coefficients& c = CoefficientsOf(matrix);
    const int luma = y - 16;
    const int cb = u - 128;
    const int cr = v - 128;
    const double e = kLumaGain * luma;
    const double r = e + c.rFromCr * cr;
    const double g = e - c.gFromCr * cr - c.gFromCb * cb;
    const double b = e + c.bFromCb * cb;
    return {Clamped(b), Clamped(g), Clamped(r)};
}

Bgr ConvertPixel(int y, int u, int v, int matrix)
{
    const Tables& t = TablesOf(matrix);
    return PixelFromTables(t, ChromaOf(t, u, v), y, u, v, matrix);
}

bool ConvertToRgb(const FrameFormat& format, const uint8_t* frameA, const uint8_t* frameB, size_t bytes, int matrix,
                  FieldSources sources, const RgbPicture& picture)
{
    if (!frameA || !frameB || !picture.bits || !IsReadableYuy2(format, bytes))
        return false;
    const int rows = format.Rows();
    if (picture.width < format.width || picture.height < rows ||
        picture.stride < static_cast<size_t>(picture.width) * 3)
        return false;
    const size_t sourceStride = DibStride(format.bitCount, format.width);
    const Tables& tables = TablesOf(matrix);
    for (int y = 0; y < rows; ++y) {
        const bool fromB = (y % 2 == 0) ? sources.evenFromB : sources.oddFromB;
        const uint8_t* source = (fromB ? frameB : frameA) + static_cast<size_t>(y) * sourceStride;
        ConvertRow(tables, source, format.width / 2, matrix, picture.bits + static_cast<size_t>(y) * picture.stride);
    }
    return true;
}

}  // namespace stillimage
