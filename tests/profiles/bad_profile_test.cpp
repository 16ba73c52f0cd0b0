// Damaged profiles: every read fails with an HRESULT and the file stays as it was.
#include "ProfileTestSupport.h"

#include "profiles/ProfileFile.h"

#include <algorithm>
#include <random>

namespace {

constexpr HRESULT kInvalidData = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

class BadProfileTest : public ProfileTest {
protected:
    // Writes the streams, runs the check, and verifies that the file is unchanged.
    template <typename Check>
    void WithFile(const RawStreams& streams, Check check)
    {
        WriteRawProfile(path_, streams);
        const Bytes before = ReadFileBytes(path_);
        {
            ProfileFile file;
            ASSERT_HRESULT_SUCCEEDED(file.Open(path_));
            check(file);
        }
        EXPECT_EQ(ReadFileBytes(path_), before) << "a read never changes the file";
    }

    std::filesystem::path path_ = File(L"bad.dat");
};

TEST_F(BadProfileTest, FilesThatAreNoProfilesAreRefused)
{
    ProfileFile file;
    EXPECT_EQ(file.Open(File(L"missing.dat")), STG_E_FILENOTFOUND);

    const Bytes text = StreamBytes().Raw(std::string("not a compound file\r\n")).Get();
    WriteFileBytes(path_, text);
    EXPECT_HRESULT_FAILED(file.Open(path_));
    EXPECT_EQ(ReadFileBytes(path_), text);

    WriteFileBytes(path_, {});
    EXPECT_HRESULT_FAILED(file.Open(path_));

    WriteRawProfile(path_, {{L"Record", StreamBytes().U32(1)}});
    EXPECT_EQ(file.Open(path_), STG_E_FILENOTFOUND) << "no COMMON stream";

    const Bytes cutCommon(ValidCommon().begin(), ValidCommon().end() - 3);
    WriteRawProfile(path_, {{L"COMMON", cutCommon}});
    EXPECT_EQ(file.Open(path_), kInvalidData);
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(BadProfileTest, MissingStreamsFailWithTheStorageError)
{
    WithFile({{L"COMMON", ValidCommon()}}, [](ProfileFile& file) {
        RecordOptions record;
        PreviewOptions preview;
        FilterEntry entry;
        FilterNames names;
        std::vector<AudioFormatPair> pairs;
        std::vector<FilterEntry> entries;
        EXPECT_EQ(file.ReadRecordOptions(record), STG_E_FILENOTFOUND);
        EXPECT_EQ(file.ReadPreviewOptions(preview), STG_E_FILENOTFOUND);
        EXPECT_EQ(file.ReadFilter(FilterStream::VideoCompressor, entry), STG_E_FILENOTFOUND);
        EXPECT_EQ(file.ReadFilterNames(names), STG_E_FILENOTFOUND);
        EXPECT_EQ(file.ReadAudioFormatList(pairs), STG_E_FILENOTFOUND);
        EXPECT_EQ(file.ReadPreviewFilters(true, entries), STG_E_FILENOTFOUND);
        EXPECT_EQ(file.ApplyPreviewFilterStates(entries), STG_E_FILENOTFOUND);
    });
}

TEST_F(BadProfileTest, StringsThatRunPastTheStreamAreRefused)
{
    const std::uint32_t counts[] = {0xFFFFFFFFu, 0x80000000u, 1000u, 0u};
    for (std::uint32_t count : counts) {
        SCOPED_TRACE(count);
        WithFile({{L"COMMON", ValidCommon()},
                  {L"Mux", StreamBytes().U32(1).U32(count).Raw(std::string("M\0u\0x\0\0\0", 8))},
                  {L"PreviewFilters", StreamBytes().U32(1).U32(1).Text(L"F").U32(count).Raw(std::string(20, 'x'))}},
                 [](ProfileFile& file) {
                     FilterEntry entry;
                     entry.friendlyName = L"unchanged";
                     EXPECT_EQ(file.ReadFilter(FilterStream::Mux, entry), kInvalidData);
                     EXPECT_EQ(entry.friendlyName, L"unchanged");
                     std::vector<FilterEntry> entries;
                     EXPECT_EQ(file.ReadPreviewFilters(true, entries), kInvalidData);
                 });
    }
}

TEST_F(BadProfileTest, WrongStreamVersionsAndUnknownMarkersAreRefused)
{
    WithFile({{L"COMMON", ValidCommon()},
              {L"Mux", StreamBytes().U32(2).Text(L"Mux").Text(kPlainTestFilterName).Text(L"PSN")},
              {L"VideoCompressor", StreamBytes().U32(1).Text(L"V").Text(kVfwTestFilterName).Text(L"VFWX").Text(L"PSN")},
              {L"AudioCompressor", StreamBytes().U32(1).Text(L"A").Text(kPlainTestFilterName).Text(L"PS")},
              {L"AudioFormatList", StreamBytes().U32(0).U32(0)},
              {L"PreviewFilters", StreamBytes().U32(7).U32(0)}},
             [](ProfileFile& file) {
                 FilterEntry entry;
                 std::vector<AudioFormatPair> pairs;
                 std::vector<FilterEntry> entries;
                 EXPECT_EQ(file.ReadFilter(FilterStream::Mux, entry), E_FAIL);
                 EXPECT_EQ(file.ReadFilter(FilterStream::VideoCompressor, entry), kInvalidData);
                 EXPECT_EQ(file.ReadFilter(FilterStream::AudioCompressor, entry), kInvalidData);
                 EXPECT_EQ(file.ReadAudioFormatList(pairs), E_FAIL);
                 EXPECT_EQ(file.ReadPreviewFilters(false, entries), E_FAIL);
             });
}

TEST_F(BadProfileTest, DriverStateLongerThanTheStreamIsRefused)
{
    WithFile({{L"COMMON", ValidCommon()},
              {L"VideoCompressor", StreamBytes()
                                       .U32(1)
                                       .Text(L"V")
                                       .Text(kVfwTestFilterName)
                                       .Text(L"VFWH")
                                       .U32(0x7FFFFFFF)
                                       .Raw(std::string(16, 'd'))}},
             [](ProfileFile& file) {
                 FilterEntry entry;
                 EXPECT_EQ(file.ReadFilter(FilterStream::VideoCompressor, entry), kInvalidData);
                 EXPECT_FALSE(entry.filter);
             });
}

TEST_F(BadProfileTest, AbsurdAudioFormatListsAreRefused)
{
    const Bytes pcm = WaveFormat(WAVE_FORMAT_PCM, 2, 48000, 16);
    const Bytes lists[] = {
        StreamBytes().U32(1).U32(0xFFFFFFFF).U32(0).U32(0),                 // count far beyond the data
        StreamBytes().U32(1).U32(1).U32(0xFFFFFFF0).Raw(pcm).U32(0),        // length far beyond the data
        StreamBytes().U32(1).U32(1).U32(10).Raw(Bytes(10)).U32(0),          // shorter than a WAVEFORMATEX
        StreamBytes().U32(1).U32(1).U32(20).Raw(pcm).Raw(Bytes(2)).U32(0),  // length disagrees with cbSize
        StreamBytes().U32(1).U32(2).U32(18).Raw(pcm).U32(0),                // second pair missing
    };
    for (const Bytes& list : lists) {
        WithFile({{L"COMMON", ValidCommon()}, {L"AudioFormatList", list}}, [](ProfileFile& file) {
            std::vector<AudioFormatPair> pairs(1);
            EXPECT_EQ(file.ReadAudioFormatList(pairs), kInvalidData);
            EXPECT_EQ(pairs.size(), 1u) << "a failed read leaves the list alone";
        });
    }
}

TEST_F(BadProfileTest, DamagedPersistedStateFailsWithTheFiltersError)
{
    const Bytes damaged[] = {
        StreamBytes().Raw(std::string("XXXX")).U32(4).Raw(std::string("abcd")),     // not the filter's data
        StreamBytes().Raw(std::string("TFS1")).U32(100).Raw(std::string("short")),  // cut short
        Bytes{},                                                                    // nothing after the marker
    };
    for (const Bytes& state : damaged) {
        WithFile({{L"COMMON", ValidCommon()},
                  {L"AudioCompressor",
                   StreamBytes().U32(1).Text(L"A").Text(kPersistTestFilterName).Text(L"PSH").Raw(state)}},
                 [](ProfileFile& file) {
                     FilterEntry entry;
                     EXPECT_EQ(file.ReadFilter(FilterStream::AudioCompressor, entry), kDamagedTestState);
                     EXPECT_FALSE(entry.filter);
                 });
    }
}

TEST_F(BadProfileTest, UnboundDisplayNamesFailTheRead)
{
    WithFile({{L"COMMON", ValidCommon()},
              {L"Mux",
               StreamBytes()
                   .U32(1)
                   .Text(L"Mux")
                   .Text(L"@device:sw:{00000000-0000-0000-0000-00000000BAD0}\\{00000000-0000-0000-0000-00000000BAD1}")
                   .Text(L"PSN")},
              {L"AudioCompressor", StreamBytes().U32(1).Text(L"Mux").Text(L"").Text(L"PSN")}},
             [](ProfileFile& file) {
                 FilterEntry entry;
                 EXPECT_HRESULT_FAILED(file.ReadFilter(FilterStream::Mux, entry));
                 EXPECT_HRESULT_FAILED(file.ReadFilter(FilterStream::AudioCompressor, entry));
             });
}

// Where each stream's bytes lie in a compound file image.
std::vector<std::pair<std::size_t, std::size_t>> StreamDataRanges(const Bytes& image, const RawStreams& streams)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (const auto& [name, bytes] : streams) {
        const auto found = std::search(image.begin(), image.end(), bytes.begin(), bytes.end());
        if (found != image.end())
            ranges.emplace_back(static_cast<std::size_t>(found - image.begin()), bytes.size());
    }
    return ranges;
}

// Mutated copies of a complete record and preview profile: every read returns
// some HRESULT, nothing crashes, and the file is never changed by reading it.
// Wine's compound file code loops for ever on some damaged directory entries and
// on files cut short, where Windows reports STG_E_DOCFILECORRUPT; so whole-file
// mutations stay inside the streams' data sectors.
TEST_F(BadProfileTest, MutatedProfilesNeverCrashOrChange)
{
    const RawStreams valid = {
        {L"COMMON", ValidCommon()},
        {L"Record", StreamBytes().U32(1).U32(96).U32(96).Raw(Bytes(92))},
        {L"PARAMS", StreamBytes().U32(92).U32(92).Raw(Bytes(88))},
        {L"VideoCompressor", StreamBytes()
                                 .U32(1)
                                 .Text(L"V")
                                 .Text(kVfwTestFilterName)
                                 .Text(L"VFWH")
                                 .U32(3)
                                 .Raw(std::string("abc"))
                                 .Text(L"PSN")},
        {L"AudioCompressor",
         StreamBytes().U32(1).Text(L"A").Text(kPersistTestFilterName).Text(L"PSH").Raw(SavedTestState("a"))},
        {L"Mux", StreamBytes().U32(1).Text(L"M").Text(NullAudioDisplayName()).Text(L"PSN")},
        {L"AudioFormatList", StreamBytes().U32(1).U32(1).U32(18).Raw(WaveFormat(1, 2, 48000, 16)).U32(0)},
        {L"PreviewFilters", StreamBytes()
                                .U32(1)
                                .U32(2)
                                .Text(L"P")
                                .Text(kPersistTestFilterName)
                                .Text(L"PSH")
                                .Raw(SavedTestState("p"))
                                .Text(L"N")
                                .Text(kPlainTestFilterName)
                                .Text(L"PSN")},
    };
    WriteRawProfile(path_, valid);
    const Bytes image = ReadFileBytes(path_);
    const auto ranges = StreamDataRanges(image, valid);
    ASSERT_GE(ranges.size(), 4u) << "most streams lie in one piece in the image";
    std::mt19937 random(20261208);
    int opened = 0;
    for (int iteration = 0; iteration < 120; ++iteration) {
        if (iteration % 2 == 0) {
            // Damage one stream's content and write the file again.
            RawStreams mutated = valid;
            Bytes& bytes = std::next(mutated.begin(), static_cast<long>(random() % mutated.size()))->second;
            for (int flips = 1 + static_cast<int>(random() % 4); flips > 0 && !bytes.empty(); --flips)
                bytes[random() % bytes.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            if (random() % 4 == 0)
                bytes.resize(random() % (bytes.size() + 1));
            WriteRawProfile(path_, mutated);
        } else {
            // Damage the file image where the streams' bytes lie.
            Bytes bytes = image;
            for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips) {
                const auto& [offset, size] = ranges[random() % ranges.size()];
                bytes[offset + random() % size] = static_cast<std::uint8_t>(random());
            }
            WriteFileBytes(path_, bytes);
        }
        const Bytes before = ReadFileBytes(path_);
        {
            ProfileFile file;
            if (SUCCEEDED(file.Open(path_))) {
                ++opened;
                RecordOptions record;
                PreviewOptions preview;
                FilterEntry entry;
                FilterNames names;
                std::vector<AudioFormatPair> pairs;
                std::vector<FilterEntry> entries;
                file.ReadRecordOptions(record);
                file.ReadPreviewOptions(preview);
                file.ReadFilter(FilterStream::VideoCompressor, entry);
                file.ReadFilter(FilterStream::AudioCompressor, entry);
                file.ReadFilter(FilterStream::Mux, entry);
                file.ReadFilterNames(names);
                file.ReadAudioFormatList(pairs);
                file.ReadPreviewFilters(true, entries);
                if (SUCCEEDED(file.ReadPreviewFilters(false, entries)))
                    file.ApplyPreviewFilterStates(entries);
            }
        }
        ASSERT_EQ(ReadFileBytes(path_), before) << "iteration " << iteration;
    }
    EXPECT_GT(opened, 30) << "most mutations must reach the stream readers";
}

}  // namespace
