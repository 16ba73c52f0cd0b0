// The byte layout of the profile streams, checked against bytes built by hand.
#include "profiles/core/AudioFormatList.h"
#include "profiles/core/ByteReader.h"
#include "profiles/core/ByteWriter.h"
#include "profiles/core/FilterSections.h"
#include "profiles/core/OptionBlock.h"
#include "profiles/core/ProfileHeader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace profiles;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes U32(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// u32 count with terminator, then UTF-16LE units (ASCII text only).
Bytes Str(const std::string& text)
{
    Bytes bytes = U32(static_cast<std::uint32_t>(text.size() + 1));
    for (char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

Bytes Block(std::uint32_t size)
{
    Bytes bytes = U32(size);
    for (std::uint32_t i = 4; i < size; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i));
    return bytes;
}

Bytes Pcm(std::uint16_t extra = 0)
{
    Bytes format = {1, 0, 2, 0, 0x80, 0xBB, 0, 0, 0, 0xEE, 2, 0, 4, 0, 16, 0};
    format.push_back(static_cast<std::uint8_t>(extra));
    format.push_back(static_cast<std::uint8_t>(extra >> 8));
    format.resize(18 + extra, 0x5A);
    return format;
}

TEST(ProfileStrings, EncodingAndDecoding)
{
    ByteWriter writer;
    writer.WriteString(u"");
    writer.WriteString(u"PSN");
    EXPECT_EQ(writer.Bytes(), Cat({Bytes{1, 0, 0, 0, 0, 0}, Bytes{4, 0, 0, 0, 'P', 0, 'S', 0, 'N', 0, 0, 0}}));

    ByteReader reader(writer.Bytes());
    std::u16string text = u"x";
    ASSERT_EQ(reader.ReadString(text), kOk);
    EXPECT_EQ(text, u"");
    ASSERT_EQ(reader.ReadString(text), kOk);
    EXPECT_EQ(text, u"PSN");
    EXPECT_EQ(reader.Remaining(), 0u);

    // The text ends at the first zero unit; the whole count is consumed.
    const Bytes early = Cat({U32(4), Bytes{'a', 0, 0, 0, 'b', 0, 0, 0}, U32(7)});
    ByteReader earlyReader(early);
    ASSERT_EQ(earlyReader.ReadString(text), kOk);
    EXPECT_EQ(text, u"a");
    EXPECT_EQ(earlyReader.Position(), 12u);

    // Non-ASCII units survive.
    ByteWriter wide;
    wide.WriteString(u" 無圧縮");
    ByteReader wideReader(wide.Bytes());
    ASSERT_EQ(wideReader.ReadString(text), kOk);
    EXPECT_EQ(text, u" 無圧縮");
}

TEST(ProfileStrings, CountsOutsideTheDataAreRefusedWithoutMoving)
{
    for (std::uint32_t count : {0u, 3u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        const Bytes bytes = Cat({U32(count), Bytes{'a', 0, 'b', 0}});
        ByteReader reader(bytes);
        std::u16string text = u"kept";
        EXPECT_EQ(reader.ReadString(text), kInvalidData) << count;
        EXPECT_EQ(text, u"kept");
        EXPECT_EQ(reader.Position(), 0u);
    }
    const Bytes cut = {2, 0};
    ByteReader reader(cut);
    std::uint32_t value = 0;
    EXPECT_EQ(reader.ReadU32(value), kInvalidData);
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(reader.ReadBytes(3, bytes), kInvalidData);
    EXPECT_EQ(reader.Skip(3), kInvalidData);
    EXPECT_EQ(reader.SetPosition(3), kInvalidData);
}

TEST(ProfileHeader, ExactMagicAndVersionOnly)
{
    EXPECT_EQ(EncodeProfileHeader(), Cat({Str("TavrikProfile"), Str("v1.20")}));
    EXPECT_EQ(CheckProfileHeader(EncodeProfileHeader()), kOk);
    EXPECT_EQ(CheckProfileHeader(Cat({Str("TavrikProfile"), Str("v1.10")})), kFail);
    EXPECT_EQ(CheckProfileHeader(Cat({Str("TavrikProfile"), Str("v1.2")})), kFail);
    EXPECT_EQ(CheckProfileHeader(Cat({Str("TavrikProfile"), Str("v1.200")})), kFail);
    EXPECT_EQ(CheckProfileHeader(Cat({Str("TavrikProfilE"), Str("v1.20")})), kFail);
    EXPECT_EQ(CheckProfileHeader(Str("TavrikProfile")), kInvalidData);
    EXPECT_EQ(CheckProfileHeader({}), kInvalidData);
}

TEST(OptionBlocks, StoredSizesReadIntoTheExpectedSize)
{
    for (std::uint32_t stored : {96u, 40u, 200u}) {
        SCOPED_TRACE(stored);
        const Bytes block = Block(stored);
        std::vector<std::uint8_t> read;
        std::uint32_t storedSize = 0;
        ASSERT_EQ(DecodeOptionBlock(Cat({U32(1), U32(stored), block}), BlockVersion::Prefixed, 96, read, storedSize),
                  kOk);
        EXPECT_EQ(storedSize, stored);
        ASSERT_EQ(read.size(), 96u);
        for (std::size_t i = 0; i < 96; ++i)
            ASSERT_EQ(read[i], i < stored ? block[i] : 0) << "byte " << i;
    }
}

TEST(OptionBlocks, EncodingChecksTheBlockSize)
{
    std::vector<std::uint8_t> stream;
    ASSERT_EQ(EncodeOptionBlock(Block(96), BlockVersion::Prefixed, stream), kOk);
    EXPECT_EQ(stream, Cat({U32(1), U32(96), Block(96)}));
    ASSERT_EQ(EncodeOptionBlock(Block(92), BlockVersion::None, stream), kOk);
    EXPECT_EQ(stream, Cat({U32(92), Block(92)}));

    Bytes lying = Block(96);
    lying[0] = 200;
    EXPECT_EQ(EncodeOptionBlock(lying, BlockVersion::None, stream), kInvalidArg);
    EXPECT_EQ(EncodeOptionBlock({}, BlockVersion::None, stream), kInvalidArg);
}

TEST(OptionBlocks, BadStreamsAreRefused)
{
    std::vector<std::uint8_t> read;
    std::uint32_t size = 0;
    EXPECT_EQ(DecodeOptionBlock(Cat({U32(2), U32(96), Block(96)}), BlockVersion::Prefixed, 96, read, size), kFail);
    EXPECT_EQ(DecodeOptionBlock(Cat({U32(96), Block(95)}), BlockVersion::None, 92, read, size), kInvalidData);
    EXPECT_EQ(DecodeOptionBlock(Cat({U32(0xFFFFFFFF), Block(96)}), BlockVersion::None, 92, read, size), kInvalidData);
    EXPECT_EQ(DecodeOptionBlock(U32(1), BlockVersion::Prefixed, 96, read, size), kInvalidData);
}

TEST(FilterSections, WriterProducesTheStoredLayout)
{
    ByteWriter writer;
    EncodeFilterHeader(writer, {u"Name", u"@device:sw:x"});
    EncodeDriverState(writer, Bytes{9, 8, 7});
    EncodePersistMarker(writer, false);
    EXPECT_EQ(writer.Bytes(),
              Cat({U32(1), Str("Name"), Str("@device:sw:x"), Str("VFWH"), U32(3), Bytes{9, 8, 7}, Str("PSN")}));

    ByteWriter list;
    EncodeFilterListHeader(list, 2);
    EncodeFilterNames(list, {u"", u"n"});
    EncodeNoDriverState(list);
    EncodePersistMarker(list, true);
    EXPECT_EQ(list.Bytes(), Cat({U32(1), U32(2), Str(""), Str("n"), Str("VFWN"), Str("PSH")}));
}

TEST(FilterSections, ReaderTakesOnlyKnownMarkers)
{
    const Bytes stream = Cat({U32(1), Str("V"), Str("D"), Str("VFWH"), U32(2), Bytes{1, 2}, Str("PSH"), Bytes{0xEE}});
    ByteReader reader(stream);
    StoredFilterNames names;
    bool present = false, persisted = false;
    std::vector<std::uint8_t> state;
    ASSERT_EQ(DecodeFilterHeader(reader, names), kOk);
    EXPECT_EQ(names.friendlyName, u"V");
    EXPECT_EQ(names.displayName, u"D");
    ASSERT_EQ(DecodeDriverState(reader, present, state), kOk);
    EXPECT_TRUE(present);
    EXPECT_EQ(state, (Bytes{1, 2}));
    ASSERT_EQ(DecodePersistMarker(reader, persisted), kOk);
    EXPECT_TRUE(persisted);
    EXPECT_EQ(reader.Remaining(), 1u) << "the filter's own data is left for the filter";

    for (const Bytes& bad :
         {Str("VFW"), Str("vfwh"), Cat({Str("VFWH"), U32(3), Bytes{1, 2}}), Cat({Str("VFWH"), U32(0xFFFFFFFF)})}) {
        ByteReader badReader(bad);
        EXPECT_EQ(DecodeDriverState(badReader, present, state), kInvalidData);
    }
    for (const Bytes& bad : {Str("PSX"), Str(""), Bytes{4, 0}}) {
        ByteReader badReader(bad);
        EXPECT_EQ(DecodePersistMarker(badReader, persisted), kInvalidData);
    }
    const Bytes otherVersion = Cat({U32(3), Str("V"), Str("D")});
    ByteReader version(otherVersion);
    EXPECT_EQ(DecodeFilterHeader(version, names), kFail);
}

TEST(FilterSections, ListCountMustFitTheData)
{
    std::uint32_t count = 0;
    const Bytes one = Cat({U32(1), U32(1), Str(""), Str(""), Str("PSN")});
    ByteReader reader(one);
    ASSERT_EQ(DecodeFilterListHeader(reader, count), kOk);
    EXPECT_EQ(count, 1u);
    const Bytes two = Cat({U32(1), U32(2), Str(""), Str(""), Str("PSN")});
    ByteReader tooMany(two);
    EXPECT_EQ(DecodeFilterListHeader(tooMany, count), kInvalidData);
    const Bytes huge = Cat({U32(1), U32(0xFFFFFFFF)});
    ByteReader absurd(huge);
    EXPECT_EQ(DecodeFilterListHeader(absurd, count), kInvalidData);
}

TEST(AudioFormats, PairsRoundTripAndAbsentFormatsAreZeroLength)
{
    std::vector<AudioFormatPair> pairs(2);
    pairs[0].input = Pcm();
    pairs[0].output = Pcm(22);
    pairs[1].input = Pcm(2);
    std::vector<std::uint8_t> stream;
    ASSERT_EQ(EncodeAudioFormatList(pairs, stream), kOk);
    EXPECT_EQ(stream, Cat({U32(1), U32(2), U32(18), Pcm(), U32(40), Pcm(22), U32(20), Pcm(2), U32(0)}));

    std::vector<AudioFormatPair> read;
    ASSERT_EQ(DecodeAudioFormatList(stream, read), kOk);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].output, Pcm(22));
    EXPECT_EQ(read[1].input, Pcm(2));
    EXPECT_TRUE(read[1].output.empty());
}

TEST(AudioFormats, BadListsAreRefusedWithoutTouchingTheResult)
{
    const Bytes bad[] = {
        Cat({U32(1), U32(0xFFFFFFFF)}),
        Cat({U32(1), U32(1), U32(0xFFFFFFFF), Pcm(), U32(0)}),
        Cat({U32(1), U32(1), U32(17), Bytes(17), U32(0)}),
        Cat({U32(1), U32(1), U32(18), Pcm(4), U32(0)}),  // cbSize says 22 bytes
        Cat({U32(1), U32(1), U32(24), Pcm(4), U32(0)}),  // 2 bytes too many for cbSize
        Cat({U32(1), U32(1), U32(18), Pcm()}),
    };
    for (const Bytes& stream : bad) {
        std::vector<AudioFormatPair> read(3);
        EXPECT_EQ(DecodeAudioFormatList(stream, read), kInvalidData);
        EXPECT_EQ(read.size(), 3u);
    }
    std::vector<AudioFormatPair> read;
    EXPECT_EQ(DecodeAudioFormatList(Cat({U32(2), U32(0)}), read), kFail);

    std::vector<AudioFormatPair> shortFormat(1);
    shortFormat[0].input = Pcm(4);
    shortFormat[0].input.resize(20);
    std::vector<std::uint8_t> stream;
    EXPECT_EQ(EncodeAudioFormatList(shortFormat, stream), kInvalidArg);
}

}  // namespace
