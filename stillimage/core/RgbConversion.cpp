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

// The formula's products, made once: the same double operations in the same order,
// so every channel comes out bit for bit as the formula gives it.
struct Terms {
    std::array<double, 256> luma;     // 1.164 x (Y - 16)
    std::array<double, 256> rFromV;   // x Cr
    std::array<double, 256> gFromV;   // x Cr, subtracted
    std::array<double, 256> gFromU;   // x Cb, subtracted
    std::array<double, 256> bFromU;   // x Cb
};

Terms MakeTerms(const Coefficients& c)
{
    Terms t{};
    for (int i = 0; i < 256; ++i) {
        const int chroma = i - 128;
        t.luma[i] = kLumaGain * (i - 16);
        t.rFromV[i] = c.rFromCr * chroma;
        t.gFromV[i] = c.gFromCr * chroma;
        t.gFromU[i] = c.gFromCb * chroma;
        t.bFromU[i] = c.bFromCb * chroma;
    }
    return t;
}

const Terms& TermsOf(int matrix)
{
    static const Terms bt601 = MakeTerms(kBt601);
    static const Terms bt709 = MakeTerms(kBt709);
    return matrix == kMatrixBt709 ? bt709 : bt601;
}

// Every channel of every triple lies within (-300, 560): truncated, it indexes this
// clamp without a branch.
constexpr int kClampOffset = 384;
constexpr int kClampSize = 1024;

constexpr std::array<uint8_t, kClampSize> MakeClamp()
{
    std::array<uint8_t, kClampSize> clamp{};
    for (int i = 0; i < kClampSize; ++i)
        clamp[i] = static_cast<uint8_t>(std::clamp(i - kClampOffset, 0, 255));
    return clamp;
}

constexpr std::array<uint8_t, kClampSize> kClamp = MakeClamp();

uint8_t Channel(double value)
{
    return kClamp[static_cast<int>(value) + kClampOffset];
}

// One pixel pair's chroma terms, shared by both of its pixels.
struct ChromaTerms {
    double r, gFromV, gFromU, b;
};

ChromaTerms ChromaOf(const Terms& t, int u, int v)
{
    return {t.rFromV[v], t.gFromV[v], t.gFromU[u], t.bFromU[u]};
}

void PutPixel(double luma, const ChromaTerms& c, uint8_t* out)
{
    out[0] = Channel(luma + c.b);
    out[1] = Channel(luma - c.gFromV - c.gFromU);
    out[2] = Channel(luma + c.r);
}

void ConvertRow(const Terms& t, const uint8_t* source, int pairs, uint8_t* out)
{
    for (int pair = 0; pair < pairs; ++pair, source += 4, out += 6) {
        const ChromaTerms chroma = ChromaOf(t, source[1], source[3]);
        PutPixel(t.luma[source[0]], chroma, out);
        PutPixel(t.luma[source[2]], chroma, out + 3);
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
    const Terms& t = TermsOf(matrix);
    uint8_t bgr[3];
    PutPixel(t.luma[y], ChromaOf(t, u, v), bgr);
    return {bgr[0], bgr[1], bgr[2]};
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
    const Terms& terms = TermsOf(matrix);
    for (int y = 0; y < rows; ++y) {
        const bool fromB = (y % 2 == 0) ? sources.evenFromB : sources.oddFromB;
        const uint8_t* source = (fromB ? frameB : frameA) + static_cast<size_t>(y) * sourceStride;
        ConvertRow(terms, source, format.width / 2, picture.bits + static_cast<size_t>(y) * picture.stride);
    }
    return true;
}

}  // namespace stillimage
