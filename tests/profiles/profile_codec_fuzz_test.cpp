// Random mutations of valid profile streams through every decoder. Run with the
// sanitizers, a read past the data or an unbounded allocation ends the test.
#include "profiles/core/AudioFormatList.h"
#include "profiles/core/ByteWriter.h"
#include "profiles/core/FilterSections.h"
#include "profiles/core/OptionBlock.h"
#include "profiles/core/ProfileFormat.h"
#include "profiles/core/ProfileHeader.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

using namespace profiles;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Format(std::uint16_t extra)
{
    Bytes format = {1,
                    0,
                    2,
                    0,
                    0x80,
                    0xBB,
                    0,
                    0,
                    0,
                    0xEE,
                    2,
                    0,
                    4,
                    0,
                    16,
                    0,
                    static_cast<std::uint8_t>(extra),
                    static_cast<std::uint8_t>(extra >> 8)};
    format.resize(18 + extra, 0x33);
    return format;
}

std::vector<Bytes> ValidStreams()
{
    std::vector<Bytes> streams{EncodeProfileHeader()};
    Bytes block(96, 0);
    block[0] = 96;
    Bytes record;
    EncodeOptionBlock(block, BlockVersion::Prefixed, record);
    streams.push_back(record);

    ByteWriter video;
    EncodeFilterHeader(video, {u"Video", u"@device:sw:{1}\\{2}"});
    EncodeDriverState(video, Bytes(9, 7));
    EncodePersistMarker(video, true);
    video.WriteBytes(Bytes{'T', 'F', 'S', '1', 1, 0, 0, 0, 'x'});
    streams.push_back(video.Take());

    ByteWriter list;
    EncodeFilterListHeader(list, 2);
    EncodeFilterNames(list, {u"A", u"B"});
    EncodePersistMarker(list, false);
    EncodeFilterNames(list, {u"", std::u16string(kNullVideoDisplayName)});
    EncodePersistMarker(list, false);
    streams.push_back(list.Take());

    std::vector<AudioFormatPair> pairs(2);
    pairs[0].input = Format(0);
    pairs[0].output = Format(22);
    pairs[1].input = Format(2);
    Bytes formats;
    EncodeAudioFormatList(pairs, formats);
    streams.push_back(formats);
    return streams;
}

// Runs every decoder over the bytes; returns how many accepted them.
int DecodeEverything(const Bytes& bytes)
{
    int accepted = 0;
    accepted += CheckProfileHeader(bytes) == kOk;
    std::vector<std::uint8_t> block;
    std::uint32_t size = 0;
    accepted += DecodeOptionBlock(bytes, BlockVersion::Prefixed, 96, block, size) == kOk;
    accepted += DecodeOptionBlock(bytes, BlockVersion::None, 92, block, size) == kOk;

    ByteReader filter(bytes);
    StoredFilterNames names;
    bool present = false, persisted = false;
    std::vector<std::uint8_t> state;
    accepted += DecodeFilterHeader(filter, names) == kOk && DecodeDriverState(filter, present, state) == kOk &&
                DecodePersistMarker(filter, persisted) == kOk;

    ByteReader list(bytes);
    std::uint32_t count = 0;
    if (DecodeFilterListHeader(list, count) == kOk) {
        bool ok = true;
        for (std::uint32_t i = 0; ok && i < count; ++i)
            ok = DecodeFilterNames(list, names) == kOk && DecodePersistMarker(list, persisted) == kOk && !persisted;
        accepted += ok;
    }

    std::vector<AudioFormatPair> pairs;
    if (DecodeAudioFormatList(bytes, pairs) == kOk) {
        ++accepted;
        for (const AudioFormatPair& pair : pairs)
            for (const Bytes* format : {&pair.input, &pair.output})
                EXPECT_TRUE(format->empty() || WaveFormatSize(*format) == format->size());
    }
    return accepted;
}

void Mutate(Bytes& bytes, std::mt19937& random)
{
    const auto pick = [&](std::size_t n) { return n == 0 ? 0 : random() % n; };
    switch (random() % 5) {
    case 0:  // flip bits
        for (int i = 1 + static_cast<int>(random() % 4); i > 0 && !bytes.empty(); --i)
            bytes[pick(bytes.size())] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        break;
    case 1:  // plant a large count
        if (bytes.size() >= 4) {
            const std::size_t at = pick(bytes.size() - 3);
            const std::uint32_t value = random() % 2 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(random());
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
        break;
    case 2:  // cut
        bytes.resize(pick(bytes.size() + 1));
        break;
    case 3:  // insert bytes
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(pick(bytes.size() + 1)), 1 + random() % 8,
                     static_cast<std::uint8_t>(random()));
        break;
    default:  // erase bytes
        if (!bytes.empty()) {
            const std::size_t at = pick(bytes.size());
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + 1 + random() % 8)));
        }
        break;
    }
}

TEST(ProfileCodecFuzz, MutatedStreamsNeverBreakTheDecoders)
{
    const std::vector<Bytes> valid = ValidStreams();
    for (const Bytes& stream : valid)
        ASSERT_GE(DecodeEverything(stream), 1) << "every seed stream is valid for some decoder";

    std::mt19937 random(0x7A5);
    int accepted = 0;
    constexpr int kIterations = 30000;
    for (int i = 0; i < kIterations; ++i) {
        Bytes bytes = valid[random() % valid.size()];
        for (int rounds = 1 + static_cast<int>(random() % 3); rounds > 0; --rounds)
            Mutate(bytes, random);
        accepted += DecodeEverything(bytes) > 0;
    }
    // Some mutations stay valid (bytes inside texts and blocks); most do not.
    EXPECT_GT(accepted, kIterations / 50);
    EXPECT_LT(accepted, kIterations);
}

}  // namespace
