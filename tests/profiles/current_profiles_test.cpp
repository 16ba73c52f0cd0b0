// The record and preview profiles as the engine, the settings pages and the
// information bar use them.
#include "ProfileTestSupport.h"

#include "profiles/CurrentProfiles.h"

#include <cstring>

namespace {

using CurrentProfilesTest = ProfileTest;

RecordProfile SampleRecordProfile()
{
    RecordProfile profile;
    profile.options.loadThreadWhileRecording = 1;
    profile.options.priorityClass = 128;
    profile.videoCompressor = {L"Video", kVfwTestFilterName, nullptr, CreateTestFilter(kClsidVfwTestFilter)};
    SetBlob(profile.videoCompressor.filter.Get(), kDriverBlob, "quality=9");
    profile.audioCompressor = {L"Audio", kPersistTestFilterName, nullptr, CreateTestFilter(kClsidPersistTestFilter)};
    SetBlob(profile.audioCompressor.filter.Get(), kPersistedBlob, "bitrate=192");
    profile.mux = {L"Mux", kPersistTestFilterName, nullptr, CreateTestFilter(kClsidPersistTestFilter)};
    SetBlob(profile.mux.filter.Get(), kPersistedBlob, "files=40");
    profile.audioFormats.resize(1);
    profile.audioFormats[0].input = WaveFormat(WAVE_FORMAT_PCM, 2, 48000, 16);
    return profile;
}

TEST_F(CurrentProfilesTest, RecordProfileRoundTrip)
{
    const auto path = File(L"CurrentRecord.dat");
    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(path, SampleRecordProfile()));
    RecordProfile read;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(path, read));
    EXPECT_EQ(read.options.loadThreadWhileRecording, 1u);
    EXPECT_EQ(read.options.priorityClass, 128u);
    EXPECT_EQ(GetBlob(read.videoCompressor.filter.Get(), kDriverBlob), "quality=9");
    EXPECT_EQ(GetBlob(read.audioCompressor.filter.Get(), kPersistedBlob), "bitrate=192");
    EXPECT_EQ(GetBlob(read.mux.filter.Get(), kPersistedBlob), "files=40");
    ASSERT_EQ(read.audioFormats.size(), 1u);
    EXPECT_EQ(read.audioFormats[0].input, WaveFormat(WAVE_FORMAT_PCM, 2, 48000, 16));

    FilterNames names;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordFilterNames(path, names));
    EXPECT_EQ(names.videoCompressor, L"Video");
    EXPECT_EQ(names.audioCompressor, L"Audio");
    EXPECT_EQ(names.mux, L"Mux");
}

TEST_F(CurrentProfilesTest, MissingOptionalRecordStreamsReadAsDefaults)
{
    const auto path = File(L"CurrentRecord.dat");
    RecordProfile profile = SampleRecordProfile();
    profile.videoCompressor = {L" 無圧縮", NullVideoDisplayName(), nullptr, nullptr};
    profile.audioFormats.clear();
    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(path, profile));
    EXPECT_TRUE(ReadRawStream(path, L"AudioFormatList").empty()) << "an empty list is not stored";

    // Drop "Record" by rewriting the file without it.
    WriteRawProfile(path, {{L"COMMON", ValidCommon()},
                           {L"VideoCompressor", ReadRawStream(path, L"VideoCompressor")},
                           {L"AudioCompressor", ReadRawStream(path, L"AudioCompressor")},
                           {L"Mux", ReadRawStream(path, L"Mux")}});
    RecordProfile read;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(path, read));
    const RecordOptions defaults;
    EXPECT_EQ(0, std::memcmp(&read.options, &defaults, sizeof defaults))
        << "preview while recording, no load thread, no swap, priority 32";
    EXPECT_EQ(read.options.priorityClass, 32u);
    EXPECT_TRUE(read.videoCompressor.IsNull());
    EXPECT_FALSE(read.videoCompressor.filter);
    EXPECT_TRUE(read.audioFormats.empty());
}

TEST_F(CurrentProfilesTest, AnUnreadableFilterFailsTheRecordRead)
{
    const auto path = File(L"CurrentRecord.dat");
    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(path, SampleRecordProfile()));
    WriteRawProfile(path, {{L"COMMON", ValidCommon()},
                           {L"Record", ReadRawStream(path, L"Record")},
                           {L"VideoCompressor", ReadRawStream(path, L"VideoCompressor")},
                           {L"Mux", ReadRawStream(path, L"Mux")}});
    RecordProfile read;
    EXPECT_EQ(ReadRecordProfile(path, read), STG_E_FILENOTFOUND);
    EXPECT_EQ(ReadRecordProfile(File(L"none.dat"), read), STG_E_FILENOTFOUND);
    FilterNames names;
    EXPECT_HRESULT_FAILED(ReadRecordFilterNames(path, names));
}

TEST_F(CurrentProfilesTest, PreviewGraphGetsTheFiltersBeforeTheirStates)
{
    const auto path = File(L"CurrentPreview.dat");
    PreviewProfile profile;
    profile.options.deinterlaceInterlacedModes = 1;
    profile.options.priorityClass = 128;
    profile.filters = {{L"Deinterlace", kPersistTestFilterName, nullptr, CreateTestFilter(kClsidPersistTestFilter)}};
    SetBlob(profile.filters[0].filter.Get(), kPersistedBlob, "bob");
    ASSERT_HRESULT_SUCCEEDED(WritePreviewProfile(path, profile));

    PreviewProfile pageView;
    ASSERT_HRESULT_SUCCEEDED(ReadPreviewProfile(path, pageView));
    EXPECT_TRUE(pageView.optionsRead);
    ASSERT_EQ(pageView.filters.size(), 1u);
    EXPECT_EQ(GetBlob(pageView.filters[0].filter.Get(), kPersistedBlob), "bob");

    int inserted = 0;
    PreviewGraphSteps steps;
    steps.wantsFilters = [](const PreviewOptions* options) { return options && options->deinterlaceInterlacedModes; };
    steps.insertFilters = [&](std::vector<FilterEntry>& filters) {
        ++inserted;
        EXPECT_EQ(filters.size(), 1u);
        if (!filters.empty()) {
            EXPECT_EQ(LoadCalls(filters[0].filter.Get()), 0u) << "states come after the graph step";
        }
        return S_OK;
    };
    PreviewProfile graphView;
    ASSERT_HRESULT_SUCCEEDED(ReadPreviewProfileForGraph(path, steps, graphView));
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(graphView.options.priorityClass, 128u);
    ASSERT_EQ(graphView.filters.size(), 1u);
    EXPECT_EQ(GetBlob(graphView.filters[0].filter.Get(), kPersistedBlob), "bob");
}

TEST_F(CurrentProfilesTest, MissingPreviewProfileMeansNoFilters)
{
    PreviewGraphSteps steps;
    bool asked = false;
    std::size_t insertedCount = 99;
    steps.wantsFilters = [&](const PreviewOptions* options) {
        asked = true;
        EXPECT_EQ(options, nullptr);
        return false;
    };
    steps.insertFilters = [&](std::vector<FilterEntry>& filters) {
        insertedCount = filters.size();
        return S_OK;
    };
    PreviewProfile profile;
    EXPECT_HRESULT_SUCCEEDED(ReadPreviewProfileForGraph(File(L"none.dat"), steps, profile));
    EXPECT_TRUE(asked);
    EXPECT_EQ(insertedCount, 0u);
    EXPECT_FALSE(profile.optionsRead);
    EXPECT_EQ(profile.options.deinterlaceInterlacedModes, 0u);
}

TEST_F(CurrentProfilesTest, AFailingWriteLeavesTheOldProfileWholeAndNothingBeside)
{
    const auto path = File(L"CurrentRecord.dat");
    RecordProfile failing = SampleRecordProfile();
    failing.mux = {L"Mux", NullAudioDisplayName(), nullptr, nullptr};
    EXPECT_EQ(WriteRecordProfile(path, failing), E_INVALIDARG);
    EXPECT_FALSE(std::filesystem::exists(path)) << "no half profile where there was none";

    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(path, SampleRecordProfile()));
    const auto before = std::filesystem::file_size(path);
    const Bytes storedFormats = ReadRawStream(path, L"AudioFormatList");
    failing.audioFormats.clear();
    EXPECT_EQ(WriteRecordProfile(path, failing), E_INVALIDARG) << "fails after the compressors were written";
    EXPECT_EQ(before, std::filesystem::file_size(path));
    EXPECT_EQ(storedFormats, ReadRawStream(path, L"AudioFormatList"));
    RecordProfile read;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(path, read));
    EXPECT_EQ(GetBlob(read.mux.filter.Get(), kPersistedBlob), "files=40");
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(path.parent_path()), {})) << "no staged file left";
}

}  // namespace
