// ProfileFile against files written stream by stream, and its own round trips.
#include "ProfileTestSupport.h"

#include "profiles/ProfileFile.h"

#include <cstring>

namespace {

constexpr HRESULT kInvalidData = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

std::vector<std::uint32_t> Fields(const void* block, std::size_t size)
{
    std::vector<std::uint32_t> fields(size / 4);
    std::memcpy(fields.data(), block, size);
    return fields;
}

Bytes BlockOf(std::uint32_t size, std::uint32_t fill)
{
    StreamBytes bytes;
    bytes.U32(size);
    for (std::uint32_t offset = 4; offset < size; offset += 4)
        bytes.U32(fill + offset);
    return bytes;
}

using LifecycleTest = ProfileTest;

TEST_F(LifecycleTest, OpenCreateAndCloseFollowTheStates)
{
    ProfileFile file;
    EXPECT_EQ(file.Create(L""), E_FAIL);
    EXPECT_EQ(file.Open(L""), E_FAIL);
    EXPECT_EQ(file.Close(), E_FAIL);

    RecordOptions options;
    EXPECT_EQ(file.WriteRecordOptions(options), E_FAIL) << "stream operations need an open file";
    EXPECT_EQ(file.ReadRecordOptions(options), E_FAIL);
    FilterEntry entry;
    EXPECT_EQ(file.ReadFilter(FilterStream::Mux, entry), E_FAIL);
    EXPECT_EQ(file.WritePreviewFilters({}), E_FAIL);
    std::vector<AudioFormatPair> pairs;
    EXPECT_EQ(file.WriteAudioFormatList(pairs), E_FAIL);

    const auto path = File(L"a.dat");
    ASSERT_HRESULT_SUCCEEDED(file.Create(path));
    EXPECT_EQ(file.Create(path), E_FAIL);
    EXPECT_EQ(file.Open(path), E_FAIL);
    EXPECT_HRESULT_SUCCEEDED(file.Close());
    EXPECT_EQ(file.Close(), E_FAIL);
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    EXPECT_HRESULT_SUCCEEDED(file.Close());
}

TEST_F(LifecycleTest, AFileIsOpenedByOneProfileFileAtATime)
{
    const auto path = File(L"a.dat");
    ProfileFile first;
    ASSERT_HRESULT_SUCCEEDED(first.Create(path));
    ProfileFile second;
    EXPECT_HRESULT_FAILED(second.Open(path));
    ASSERT_HRESULT_SUCCEEDED(first.Close());
    EXPECT_HRESULT_SUCCEEDED(second.Open(path));
}

TEST_F(LifecycleTest, DestroyingACreatedProfileKeepsWhatWasWritten)
{
    const auto path = File(L"a.dat");
    {
        ProfileFile file;
        ASSERT_HRESULT_SUCCEEDED(file.Create(path));
        RecordOptions options;
        options.swapAudioChannels = 1;
        ASSERT_HRESULT_SUCCEEDED(file.WriteRecordOptions(options));
    }
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    RecordOptions options;
    options.swapAudioChannels = 0;
    ASSERT_HRESULT_SUCCEEDED(file.ReadRecordOptions(options));
    EXPECT_EQ(options.swapAudioChannels, 1u);
}

TEST_F(LifecycleTest, CreateReplacesAnOldProfile)
{
    const auto path = File(L"a.dat");
    WriteRawProfile(path, {{L"COMMON", ValidCommon()}, {L"Record", StreamBytes().U32(1).U32(96).Raw(BlockOf(96, 0))}});
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Create(path));
    ASSERT_HRESULT_SUCCEEDED(file.Close());
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    RecordOptions options;
    EXPECT_EQ(file.ReadRecordOptions(options), STG_E_FILENOTFOUND);
}

using OptionBlockTest = ProfileTest;

TEST_F(OptionBlockTest, StoredBlocksOfAnySizeReadIntoTheExpectedSize)
{
    const auto path = File(L"a.dat");
    for (std::uint32_t size : {96u, 40u, 200u}) {
        SCOPED_TRACE(size);
        const Bytes block = BlockOf(size, 0x1000);
        WriteRawProfile(path, {{L"COMMON", ValidCommon()}, {L"Record", StreamBytes().U32(1).U32(size).Raw(block)}});
        ProfileFile file;
        ASSERT_HRESULT_SUCCEEDED(file.Open(path));
        RecordOptions options;
        std::uint32_t stored = 0;
        ASSERT_HRESULT_SUCCEEDED(file.ReadRecordOptions(options, &stored));
        EXPECT_EQ(stored, size);
        const auto fields = Fields(&options, sizeof options);
        EXPECT_EQ(fields[0], size) << "the block keeps its own size field";
        for (std::uint32_t offset = 4; offset < 96; offset += 4)
            EXPECT_EQ(fields[offset / 4], offset < size ? 0x1000 + offset : 0u) << "offset " << offset;
    }
}

TEST_F(OptionBlockTest, PreviewBlockHasNoStreamVersion)
{
    const auto path = File(L"a.dat");
    WriteRawProfile(path, {{L"COMMON", ValidCommon()}, {L"PARAMS", StreamBytes().U32(92).Raw(BlockOf(92, 0x2000))}});
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    PreviewOptions options;
    ASSERT_HRESULT_SUCCEEDED(file.ReadPreviewOptions(options));
    EXPECT_EQ(options.cbSize, 92u);
    EXPECT_EQ(options.deinterlaceInterlacedModes, 0x2004u);
    EXPECT_EQ(options.priorityClass, 0x2010u);
}

TEST_F(OptionBlockTest, WrongStreamVersionOrCutBlockIsRefused)
{
    const auto path = File(L"a.dat");
    WriteRawProfile(path, {{L"COMMON", ValidCommon()},
                           {L"Record", StreamBytes().U32(2).U32(96).Raw(BlockOf(96, 0))},
                           {L"PARAMS", StreamBytes().U32(92).U32(1)}});
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    RecordOptions record;
    record.priorityClass = 77;
    EXPECT_EQ(file.ReadRecordOptions(record), E_FAIL);
    EXPECT_EQ(record.priorityClass, 77u) << "a failed read leaves the caller's block alone";
    PreviewOptions preview;
    EXPECT_EQ(file.ReadPreviewOptions(preview), kInvalidData);
}

TEST_F(OptionBlockTest, WrittenBlocksReadBack)
{
    const auto path = File(L"a.dat");
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Create(path));
    RecordOptions record;
    record.noPreviewWhileRecording = 1;
    record.priorityClass = 256;
    PreviewOptions preview;
    preview.infTeeForAudio = 1;
    preview.priorityClass = 0;
    ASSERT_HRESULT_SUCCEEDED(file.WriteRecordOptions(record));
    ASSERT_HRESULT_SUCCEEDED(file.WritePreviewOptions(preview));
    RecordOptions wrongSize;
    wrongSize.cbSize = 200;
    EXPECT_EQ(file.WriteRecordOptions(wrongSize), E_INVALIDARG) << "a block is never read past its end";
    ASSERT_HRESULT_SUCCEEDED(file.Close());

    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    RecordOptions recordRead{};
    PreviewOptions previewRead{};
    ASSERT_HRESULT_SUCCEEDED(file.ReadRecordOptions(recordRead));
    ASSERT_HRESULT_SUCCEEDED(file.ReadPreviewOptions(previewRead));
    EXPECT_EQ(0, std::memcmp(&record, &recordRead, sizeof record));
    EXPECT_EQ(0, std::memcmp(&preview, &previewRead, sizeof preview));
}

using HeaderTest = ProfileTest;

TEST_F(HeaderTest, OnlyTheExactMagicAndVersionAreAccepted)
{
    const auto path = File(L"a.dat");
    const std::pair<std::wstring, std::wstring> refused[] = {
        {L"TavrikProfile", L"v1.10"},  {L"TavrikProfile", L"v1.00"}, {L"TavrikProfile", L"V1.20"},
        {L"TavrikProfile", L"v1.20 "}, {L"TavrikProfile", L""},      {L"tavrikprofile", L"v1.20"},
    };
    for (const auto& [magic, version] : refused) {
        SCOPED_TRACE(testing::Message() << magic.size() << " " << version.size());
        WriteRawProfile(path, {{L"COMMON", StreamBytes().Text(magic).Text(version)}});
        const Bytes before = ReadFileBytes(path);
        ProfileFile file;
        EXPECT_EQ(file.Open(path), E_FAIL);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(ReadFileBytes(path), before);
    }
    WriteRawProfile(path, {{L"COMMON", ValidCommon()}});
    ProfileFile file;
    EXPECT_HRESULT_SUCCEEDED(file.Open(path));
}

using FilterStreamTest = ProfileTest;

TEST_F(FilterStreamTest, StoredFiltersAreBoundAndGetTheirStates)
{
    const auto path = File(L"a.dat");
    WriteRawProfile(path, {{L"COMMON", ValidCommon()},
                           {L"VideoCompressor", StreamBytes()
                                                    .U32(1)
                                                    .Text(L"Video")
                                                    .Text(kVfwTestFilterName)
                                                    .Text(L"VFWH")
                                                    .U32(6)
                                                    .Raw(std::string("driver"))
                                                    .Text(L"PSN")},
                           {L"AudioCompressor", StreamBytes()
                                                    .U32(1)
                                                    .Text(L"Audio")
                                                    .Text(kPersistTestFilterName)
                                                    .Text(L"PSH")
                                                    .Raw(SavedTestState("audio state"))},
                           {L"Mux", StreamBytes().U32(1).Text(L"Mux").Text(kPlainTestFilterName).Text(L"PSN")}});
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));

    FilterEntry video, audio, mux;
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::VideoCompressor, video));
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::AudioCompressor, audio));
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::Mux, mux));
    EXPECT_EQ(video.friendlyName, L"Video");
    EXPECT_EQ(video.displayName, kVfwTestFilterName);
    EXPECT_EQ(GetBlob(video.filter.Get(), kDriverBlob), "driver");
    EXPECT_EQ(LoadCalls(video.filter.Get()), 0u);
    EXPECT_EQ(GetBlob(audio.filter.Get(), kPersistedBlob), "audio state");
    EXPECT_EQ(mux.friendlyName, L"Mux");
    EXPECT_TRUE(mux.filter);

    FilterNames names;
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilterNames(names));
    EXPECT_EQ(names.videoCompressor, L"Video");
    EXPECT_EQ(names.audioCompressor, L"Audio");
    EXPECT_EQ(names.mux, L"Mux");
}

TEST_F(FilterStreamTest, DriverStateIsSkippedForAFilterWithoutTheDialogs)
{
    // The state bytes must be passed over even when nobody takes them.
    const auto path = File(L"a.dat");
    WriteRawProfile(path, {{L"COMMON", ValidCommon()},
                           {L"VideoCompressor", StreamBytes()
                                                    .U32(1)
                                                    .Text(L"Video")
                                                    .Text(kPersistTestFilterName)
                                                    .Text(L"VFWH")
                                                    .U32(4)
                                                    .Raw(std::string("\x03\x00\x00\x00", 4))
                                                    .Text(L"PSH")
                                                    .Raw(SavedTestState("kept"))}});
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    FilterEntry video;
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::VideoCompressor, video));
    EXPECT_EQ(GetBlob(video.filter.Get(), kPersistedBlob), "kept");
}

TEST_F(FilterStreamTest, NullEntriesCreateNoFilter)
{
    const auto path = File(L"a.dat");
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Create(path));
    FilterEntry video{L" 無圧縮", NullVideoDisplayName(), nullptr, CreateTestFilter(kClsidVfwTestFilter)};
    FilterEntry audio{L"", NullAudioDisplayName(), nullptr, nullptr};
    ASSERT_HRESULT_SUCCEEDED(file.WriteFilter(FilterStream::VideoCompressor, video));
    ASSERT_HRESULT_SUCCEEDED(file.WriteFilter(FilterStream::AudioCompressor, audio));
    EXPECT_EQ(file.WriteFilter(FilterStream::Mux, audio), E_INVALIDARG) << "a multiplexer is always a real filter";
    ASSERT_HRESULT_SUCCEEDED(file.Close());

    EXPECT_EQ(ReadRawStream(path, L"VideoCompressor"),
              StreamBytes().U32(1).Text(L" 無圧縮").Text(NullVideoDisplayName()).Text(L"VFWN").Text(L"PSN").Get());
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    FilterEntry read{L"old", L"old", nullptr, CreateTestFilter(kClsidPlainTestFilter)};
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::VideoCompressor, read));
    EXPECT_EQ(read.friendlyName, L" 無圧縮");
    EXPECT_TRUE(read.IsNull());
    EXPECT_FALSE(read.filter);
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::AudioCompressor, read));
    EXPECT_EQ(read.friendlyName, L"");
    EXPECT_EQ(read.displayName, NullAudioDisplayName());
    ASSERT_HRESULT_SUCCEEDED(file.Close());

    WriteRawProfile(path, {{L"COMMON", ValidCommon()},
                           {L"Mux", StreamBytes().U32(1).Text(L"None").Text(NullVideoDisplayName()).Text(L"PSN")}});
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    EXPECT_EQ(file.ReadFilter(FilterStream::Mux, read), E_FAIL) << "a stored null multiplexer is no multiplexer";
    EXPECT_TRUE(read.IsNull()) << "the entry read before stays";
}

TEST_F(FilterStreamTest, WrittenFiltersReadBackWithTheirStates)
{
    const auto path = File(L"a.dat");
    auto vfw = CreateTestFilter(kClsidVfwTestFilter);
    SetBlob(vfw.Get(), kDriverBlob, std::string("driver\0state", 12));
    SetBlob(vfw.Get(), kPersistedBlob, "not stored");
    auto persist = CreateTestFilter(kClsidPersistTestFilter);
    SetBlob(persist.Get(), kPersistedBlob, std::string(3000, 'p'));
    {
        ProfileFile file;
        ASSERT_HRESULT_SUCCEEDED(file.Create(path));
        ASSERT_HRESULT_SUCCEEDED(
            file.WriteFilter(FilterStream::VideoCompressor, {L"V", kVfwTestFilterName, nullptr, vfw}));
        ASSERT_HRESULT_SUCCEEDED(file.WriteFilter(FilterStream::Mux, {L"M", kPersistTestFilterName, nullptr, persist}));
        ASSERT_HRESULT_SUCCEEDED(file.Close());
    }
    EXPECT_EQ(ReadRawStream(path, L"VideoCompressor"), StreamBytes()
                                                           .U32(1)
                                                           .Text(L"V")
                                                           .Text(kVfwTestFilterName)
                                                           .Text(L"VFWH")
                                                           .U32(12)
                                                           .Raw(std::string("driver\0state", 12))
                                                           .Text(L"PSN")
                                                           .Get());
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    FilterEntry video, mux;
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::VideoCompressor, video));
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::Mux, mux));
    EXPECT_NE(video.filter.Get(), vfw.Get()) << "a new instance is bound";
    EXPECT_EQ(GetBlob(video.filter.Get(), kDriverBlob), std::string("driver\0state", 12));
    EXPECT_EQ(GetBlob(video.filter.Get(), kPersistedBlob), "");
    EXPECT_EQ(GetBlob(mux.filter.Get(), kPersistedBlob), std::string(3000, 'p'));
}

TEST_F(FilterStreamTest, FailedGetStateStoresAnEmptyDriverState)
{
    const auto path = File(L"a.dat");
    auto vfw = CreateTestFilter(kClsidVfwTestFilter);
    SetBlob(vfw.Get(), kDriverBlob, "reported but never handed over");
    ASSERT_HRESULT_SUCCEEDED(Control(vfw.Get())->SetGetStateFails(TRUE));
    {
        ProfileFile file;
        ASSERT_HRESULT_SUCCEEDED(file.Create(path));
        ASSERT_HRESULT_SUCCEEDED(
            file.WriteFilter(FilterStream::VideoCompressor, {L"V", kVfwTestFilterName, nullptr, vfw}));
    }
    EXPECT_EQ(ReadRawStream(path, L"VideoCompressor"),
              StreamBytes().U32(1).Text(L"V").Text(kVfwTestFilterName).Text(L"VFWH").U32(0).Text(L"PSN").Get());
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    FilterEntry video;
    ASSERT_HRESULT_SUCCEEDED(file.ReadFilter(FilterStream::VideoCompressor, video));
    EXPECT_EQ(SetStateCalls(video.filter.Get()), 0u) << "no state, nothing to hand to the driver";
}

using AudioFormatListTest = ProfileTest;

TEST_F(AudioFormatListTest, PairsRoundTripWithAbsentFormats)
{
    const auto path = File(L"a.dat");
    std::vector<AudioFormatPair> pairs(3);
    pairs[0].input = WaveFormat(WAVE_FORMAT_PCM, 2, 48000, 16);
    pairs[0].output = WaveFormat(0x55, 2, 48000, 0, Bytes(12, 0xAB));
    pairs[1].input = WaveFormat(WAVE_FORMAT_PCM, 1, 44100, 16);
    pairs[2].output = WaveFormat(WAVE_FORMAT_PCM, 1, 32000, 16);
    {
        ProfileFile file;
        ASSERT_HRESULT_SUCCEEDED(file.Create(path));
        ASSERT_HRESULT_SUCCEEDED(file.WriteAudioFormatList(pairs));
    }
    EXPECT_EQ(ReadRawStream(path, L"AudioFormatList"), StreamBytes()
                                                           .U32(1)
                                                           .U32(3)
                                                           .U32(18)
                                                           .Raw(pairs[0].input)
                                                           .U32(30)
                                                           .Raw(pairs[0].output)
                                                           .U32(18)
                                                           .Raw(pairs[1].input)
                                                           .U32(0)
                                                           .U32(0)
                                                           .U32(18)
                                                           .Raw(pairs[2].output)
                                                           .Get());
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path));
    std::vector<AudioFormatPair> read;
    ASSERT_HRESULT_SUCCEEDED(file.ReadAudioFormatList(
        read, [](const WAVEFORMATEX& format) { return std::to_wstring(format.nSamplesPerSec); }));
    ASSERT_EQ(read.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read[i].input, pairs[i].input);
        EXPECT_EQ(read[i].output, pairs[i].output);
    }
    EXPECT_EQ(read[0].inputText, L"48000");
    EXPECT_EQ(read[1].outputText, L"") << "an absent format has no text";
    EXPECT_EQ(read[2].outputText, L"32000");
}

TEST_F(AudioFormatListTest, AFormatShorterThanItsCbSizeIsNotWritten)
{
    const auto path = File(L"a.dat");
    AudioFormatPair pair;
    pair.input = WaveFormat(WAVE_FORMAT_PCM, 2, 48000, 16, Bytes(4));
    pair.input.resize(20);
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Create(path));
    EXPECT_EQ(file.WriteAudioFormatList({pair}), E_INVALIDARG);
}

}  // namespace
