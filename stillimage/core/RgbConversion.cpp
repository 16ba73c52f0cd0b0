#include "RgbConversion.h"

#include <algorithm>
#include <array>
#include <memory>

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
    std::array<double, 256> luma;    // 1.164 x (Y - 16)
    std::array<double, 256> rFromV;  // x Cr
    std::array<double, 256> gFromV;  // x Cr, subtracted
    std::array<double, 256> gFromU;  // x Cb, subtracted
    std::array<double, 256> bFromU;  // x Cb
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

// Red depends on Y and V only, blue on Y and U only: both are looked up whole.
struct PlaneTables {
    std::array<uint8_t, 65536> red;   // [Y << 8 | V]
    std::array<uint8_t, 65536> blue;  // [Y << 8 | U]
};

std::unique_ptr<PlaneTables> MakePlaneTables(const Terms& t)
{
    auto tables = std::make_unique<PlaneTables>();
    for (int y = 0; y < 256; ++y) {
        for (int c = 0; c < 256; ++c) {
            tables->red[y << 8 | c] = Channel(t.luma[y] + t.rFromV[c]);
            tables->blue[y << 8 | c] = Channel(t.luma[y] + t.bFromU[c]);
        }
    }
    return tables;
}

struct Converter {
    const Terms& terms;
    const PlaneTables& planes;

    static const Converter& Of(int matrix)
    {
        static const std::unique_ptr<PlaneTables> bt601Planes = MakePlaneTables(TermsOf(kMatrixBt601));
        static const std::unique_ptr<PlaneTables> bt709Planes = MakePlaneTables(TermsOf(kMatrixBt709));
        static const Converter bt601{TermsOf(kMatrixBt601), *bt601Planes};
        static const Converter bt709{TermsOf(kMatrixBt709), *bt709Planes};
        return matrix == kMatrixBt709 ? bt709 : bt601;
    }

    // B, G, R of one pixel.
    void Pixel(int y, int u, int v, uint8_t* out) const
    {
        out[0] = planes.blue[y << 8 | u];
        out[1] = Channel(terms.luma[y] - terms.gFromV[v] - terms.gFromU[u]);
        out[2] = planes.red[y << 8 | v];
    }

    void Row(const uint8_t* source, int pairs, uint8_t* out) const
    {
        for (int pair = 0; pair < pairs; ++pair, source += 4, out += 6) {
            Pixel(source[0], source[1], source[3], out);
            Pixel(source[2], source[1], source[3], out + 3);
        }
    }
};

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
    uint8_t bgr[3];
    Converter::Of(matrix).Pixel(y, u, v, bgr);
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
    const Converter& converter = Converter::Of(matrix);
    for (int y = 0; y < rows; ++y) {
        const bool fromB = (y % 2 == 0) ? sources.evenFromB : sources.oddFromB;
        const uint8_t* source = (fromB ? frameB : frameA) + static_cast<size_t>(y) * sourceStride;
        converter.Row(source, format.width / 2, picture.bits + static_cast<size_t>(y) * picture.stride);
    }
    return true;
}

}  // namespace stillimage
