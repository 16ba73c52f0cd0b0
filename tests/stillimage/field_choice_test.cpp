#include <gtest/gtest.h>

#include <vector>

#include "FieldChoice.h"
#include "TestPicture.h"

namespace stillimage {
namespace {

struct Frame {
    FrameFormat format;
    std::vector<uint8_t> bytes;

    Frame(int width, int height) : format{width, height, 16, kFourccYuy2}, bytes(DibStride(16, width) * height, 0) {}
    size_t Stride() const { return DibStride(16, format.width); }
    // One grey level for a whole row.
    void FillRow(int y, uint8_t luma)
    {
        for (int x = 0; x < format.width; x += 2) {
            uint8_t* pair = &bytes[y * Stride() + 2 * x];
            pair[0] = pair[2] = luma;
            pair[1] = pair[3] = 128;
        }
    }
};

// A picture with one of two grey levels per row: the pattern of a moving edge
// seen in two moments.
Frame Striped(int width, int height, uint8_t even, uint8_t odd)
{
    Frame frame(width, height);
    for (int y = 0; y < height; ++y)
        frame.FillRow(y, y % 2 == 0 ? even : odd);
    return frame;
}

std::optional<FieldSources> Choose(const Frame& a, const Frame& b)
{
    return ChooseFieldSources(a.format, a.bytes.data(), b.bytes.data(), a.bytes.size());
}

TEST(FieldChoice, EachWeaveWinsWhereItAloneDoesNotComb)
{
    // Identical frames: every weave counts alike and AA takes the tie.
    const Frame flat = Striped(64, 16, 100, 100);
    EXPECT_EQ((FieldSources{false, false}), Choose(flat, flat));
    const Frame combed = Striped(64, 16, 100, 160);
    EXPECT_EQ((FieldSources{false, false}), Choose(combed, combed)) << "every sample combs in all four: ignored";

    // Frame A's odd field belongs with frame B's even field: BA.
    EXPECT_EQ((FieldSources{true, false}), Choose(Striped(64, 16, 40, 100), Striped(64, 16, 100, 180)));
    // A's even field with B's odd field: AB.
    EXPECT_EQ((FieldSources{false, true}), Choose(Striped(64, 16, 100, 40), Striped(64, 16, 180, 100)));
    // Only B is whole: BB.
    EXPECT_EQ((FieldSources{true, true}), Choose(Striped(64, 16, 40, 180), Striped(64, 16, 100, 100)));
}

TEST(FieldChoice, DifferencesBelowTheThresholdAreNoComb)
{
    // Luma 11 apart does not comb; 12 apart with the chroma does.
    EXPECT_EQ((FieldSources{false, false}), Choose(Striped(64, 16, 100, 111), Striped(64, 16, 111, 180)));
    Frame a = Striped(64, 16, 100, 106);
    for (size_t i = 3; i < a.bytes.size(); i += 4)
        a.bytes[i] = 134;  // V of the odd rows counts too
    for (int y = 0; y < 16; y += 2)
        for (int x = 0; x < 64; x += 2)
            a.bytes[y * a.Stride() + 2 * x + 3] = 128;
    EXPECT_EQ((FieldSources{true, false}), Choose(a, Striped(64, 16, 106, 180)));
}

TEST(FieldChoice, ReadsOnlyTheRowsThatExist)
{
    // Heights that end in a part of a row group, in buffers of exactly their size (the
    // sanitizer sees any read past them). The whole groups still decide.
    for (int height : {1, 2, 3, 6, 7, 481}) {
        SCOPED_TRACE(height);
        const Frame a = Striped(30, height, 40, 100);
        const Frame b = Striped(30, height, 100, 180);
        const auto chosen = Choose(a, b);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(height >= 4, chosen->evenFromB && !chosen->oddFromB);
    }
    // Odd widths read their last pixel pair whole, inside the padded row.
    const Frame a = Striped(33, 8, 40, 100);
    EXPECT_TRUE(Choose(a, Striped(33, 8, 100, 180)));
}

TEST(FieldChoice, RefusesMissingFramesAndHeadersTheBuffersCannotHold)
{
    const Frame a = Striped(64, 16, 40, 100);
    EXPECT_FALSE(ChooseFieldSources(a.format, a.bytes.data(), nullptr, a.bytes.size()));
    EXPECT_FALSE(ChooseFieldSources(a.format, nullptr, a.bytes.data(), a.bytes.size()));
    FrameFormat taller = a.format;
    taller.height = 32;
    EXPECT_FALSE(ChooseFieldSources(taller, a.bytes.data(), a.bytes.data(), a.bytes.size()));
    FrameFormat fewBits = a.format;
    fewBits.bitCount = 8;  // rows too short for the pixel pairs
    EXPECT_FALSE(ChooseFieldSources(fewBits, a.bytes.data(), a.bytes.data(), a.bytes.size()));
    FrameFormat rgb = a.format;
    rgb.compression = 0;
    EXPECT_FALSE(ChooseFieldSources(rgb, a.bytes.data(), a.bytes.data(), a.bytes.size()));
}

TEST(FieldChoice, TheSimulatedCardsInterlacedPairsWeaveBA)
{
    // Consecutive interlaced frames of the card: B's even rows and A's odd rows are one
    // picture. A progressive pair has no comb in any frame: AA. (The frame number's band
    // differs between the frames, so BA combs there; when a carry runs through more than
    // about fourteen bits that outweighs the marker, past any number a test reaches.)
    for (const auto& size : {std::pair{720, 480}, std::pair{1920, 1080}}) {
        for (uint32_t number : {0u, 1u, 7u, 1000u, 8191u}) {
            SCOPED_TRACE(testing::Message() << size.first << "x" << size.second << " frame " << number);
            Frame a(size.first, size.second), b(size.first, size.second);
            cardsim::PaintFrame(a.bytes.data(), a.Stride(), size.first, size.second, number, true);
            cardsim::PaintFrame(b.bytes.data(), b.Stride(), size.first, size.second, number + 1, true);
            EXPECT_EQ((FieldSources{true, false}), Choose(a, b));
            cardsim::PaintFrame(a.bytes.data(), a.Stride(), size.first, size.second, number, false);
            cardsim::PaintFrame(b.bytes.data(), b.Stride(), size.first, size.second, number + 1, false);
            EXPECT_EQ((FieldSources{false, false}), Choose(a, b));
        }
    }
}

}  // namespace
}  // namespace stillimage
