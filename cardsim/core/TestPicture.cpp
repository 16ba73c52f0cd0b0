#include "TestPicture.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace cardsim {
namespace {

struct Yuv {
    uint8_t y, u, v;
};

constexpr Yuv kBlack{16, 128, 128};
constexpr Yuv kWhite{235, 128, 128};

// 75 % colour bars, BT.601.
constexpr std::array<Yuv, 8> kBars{{{180, 128, 128},
                                    {162, 44, 142},
                                    {131, 156, 44},
                                    {112, 72, 58},
                                    {84, 184, 198},
                                    {65, 100, 212},
                                    {35, 212, 114},
                                    {16, 128, 128}}};

constexpr uint8_t kLumaThreshold = (16 + 235) / 2;

// Fills pixels [left, right) of a row; left and right are even.
void FillPairs(uint8_t* row, int left, int right, Yuv colour)
{
    for (int x = left; x < right; x += 2) {
        uint8_t* pair = row + 2 * x;
        pair[0] = colour.y;
        pair[1] = colour.u;
        pair[2] = colour.y;
        pair[3] = colour.v;
    }
}

int EvenFloor(int value)
{
    return value & ~1;
}

int BlockLeft(int width, int bit)
{
    return EvenFloor(width * bit / kCodeBits);
}

void PaintCodeRow(uint8_t* row, int width, uint32_t frameNumber, bool inverted)
{
    for (int bit = 0; bit < kCodeBits; ++bit) {
        const bool one = ((frameNumber >> (kCodeBits - 1 - bit)) & 1u) != 0;
        FillPairs(row, BlockLeft(width, bit), BlockLeft(width, bit + 1), one != inverted ? kWhite : kBlack);
    }
}

void PaintBarsRow(uint8_t* row, int width)
{
    const int bars = static_cast<int>(kBars.size());
    for (int bar = 0; bar < bars; ++bar)
        FillPairs(row, EvenFloor(width * bar / bars), EvenFloor(width * (bar + 1) / bars), kBars[bar]);
}

// Mean luma over the middle half of a block, in both directions.
int BlockLuma(const LumaView& view, int bit, int top, int rows)
{
    const int left = view.width * bit / kCodeBits;
    const int right = view.width * (bit + 1) / kCodeBits;
    const int x0 = left + (right - left) / 4;
    const int x1 = std::max(x0 + 1, right - (right - left) / 4);
    const int y0 = top + rows / 4;
    const int y1 = std::max(y0 + 1, top + rows - rows / 4);
    long sum = 0;
    long count = 0;
    for (int y = y0; y < y1; ++y) {
        const int row = view.bottomUp ? view.height - 1 - y : y;
        const uint8_t* line = view.data + row * view.rowStride + view.lumaOffset;
        for (int x = x0; x < x1; ++x) {
            sum += line[x * view.pixelStep];
            ++count;
        }
    }
    return static_cast<int>(sum / count);
}

}  // namespace

int64_t FieldMoment(uint32_t frameNumber, int row)
{
    return 2 * (int64_t{frameNumber} + (row & 1));
}

int CodeBandRows(int height)
{
    return std::max(4, height / 24);
}

int MarkerWidth(int width)
{
    return EvenFloor(std::max(2, width / 16));
}

int MarkerLeft(int width, int64_t moment)
{
    const int travel = width - MarkerWidth(width);
    const int step = EvenFloor(std::max(2, width / 48));
    if (travel <= 0)
        return 0;
    return EvenFloor(static_cast<int>((moment * step) % travel));
}

void PaintFrame(uint8_t* frame, size_t stride, int width, int height, uint32_t frameNumber, bool interlaced)
{
    const int codeRows = std::min(CodeBandRows(height), height / 2);
    const int markerTop = height / 4;
    const int markerBottom = height - height / 4;
    const int markerWidth = MarkerWidth(width);
    const size_t rowBytes = static_cast<size_t>(width) * 2;
    auto row = [&](int y) { return frame + static_cast<size_t>(y) * stride; };

    // Each kind of row is painted once and copied.
    for (int y = 0; y < height; ++y) {
        if (y == 0 || y == codeRows) {
            PaintCodeRow(row(y), width, frameNumber, y != 0);
        } else if (y == 2 * codeRows) {
            PaintBarsRow(row(y), width);
        } else {
            std::memcpy(row(y), row(y < codeRows ? 0 : y < 2 * codeRows ? codeRows : 2 * codeRows), rowBytes);
        }
    }
    for (int y = std::max(markerTop, 2 * codeRows + 1); y < markerBottom; ++y) {
        const int64_t moment = interlaced ? FieldMoment(frameNumber, y) : int64_t{frameNumber};
        const int left = MarkerLeft(width, moment);
        FillPairs(row(y), left, std::min(width, left + markerWidth), kWhite);
    }
}

LumaView LumaView::Yuy2(const uint8_t* frame, size_t stride, int width, int height)
{
    return LumaView{frame, static_cast<ptrdiff_t>(stride), 2, 0, width, height, false};
}

LumaView LumaView::BottomUpRgb24(const uint8_t* frame, size_t stride, int width, int height)
{
    return LumaView{frame, static_cast<ptrdiff_t>(stride), 3, 1, width, height, true};
}

std::optional<uint32_t> ReadFrameNumber(const LumaView& view)
{
    if (!view.data || view.width < kCodeBits || view.height < 8)
        return std::nullopt;
    const int codeRows = CodeBandRows(view.height);
    uint32_t number = 0;
    for (int bit = 0; bit < kCodeBits; ++bit) {
        const bool one = BlockLuma(view, bit, 0, codeRows) > kLumaThreshold;
        const bool inverted = BlockLuma(view, bit, codeRows, codeRows) > kLumaThreshold;
        if (one == inverted)
            return std::nullopt;
        number = (number << 1) | (one ? 1u : 0u);
    }
    return number;
}

std::optional<uint32_t> ReadFrameNumber(const uint8_t* yuy2Frame, size_t stride, int width, int height)
{
    return ReadFrameNumber(LumaView::Yuy2(yuy2Frame, stride, width, height));
}

}  // namespace cardsim
