// The preview filter list: written, read with or without states, states applied later.
#include "ProfileTestSupport.h"

#include "profiles/ProfileFile.h"

namespace {

class PreviewFiltersTest : public ProfileTest {
protected:
    // A stored list: a persisting filter with state, then a plain one.
    void WriteTwoEntries()
    {
        WriteRawProfile(path_, {{L"COMMON", ValidCommon()},
                                {L"PreviewFilters", StreamBytes()
                                                        .U32(1)
                                                        .U32(2)
                                                        .Text(L"Deinterlace")
                                                        .Text(kPersistTestFilterName)
                                                        .Text(L"PSH")
                                                        .Raw(SavedTestState("weave"))
                                                        .Text(L"Plain")
                                                        .Text(kPlainTestFilterName)
                                                        .Text(L"PSN")}});
    }

    std::filesystem::path path_ = File(L"preview.dat");
};

TEST_F(PreviewFiltersTest, ReadingWithStatesLoadsEachFilter)
{
    WriteTwoEntries();
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path_));
    std::vector<FilterEntry> entries;
    ASSERT_HRESULT_SUCCEEDED(file.ReadPreviewFilters(true, entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].friendlyName, L"Deinterlace");
    EXPECT_EQ(GetBlob(entries[0].filter.Get(), kPersistedBlob), "weave");
    EXPECT_EQ(entries[1].friendlyName, L"Plain");
    EXPECT_TRUE(entries[1].filter);
}

TEST_F(PreviewFiltersTest, ReadingWithoutStatesThenApplyingThem)
{
    WriteTwoEntries();
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path_));
    std::vector<FilterEntry> entries;
    ASSERT_HRESULT_SUCCEEDED(file.ReadPreviewFilters(false, entries));
    // State data carries no length: entries after an unloaded state cannot be found.
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(LoadCalls(entries[0].filter.Get()), 0u);

    ASSERT_HRESULT_SUCCEEDED(file.ApplyPreviewFilterStates(entries));
    EXPECT_EQ(GetBlob(entries[0].filter.Get(), kPersistedBlob), "weave");
}

TEST_F(PreviewFiltersTest, ApplyingStopsAtTheFirstEntryThatDiffers)
{
    WriteTwoEntries();
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path_));
    std::vector<FilterEntry> entries{
        {L"Other name", kPersistTestFilterName, nullptr, CreateTestFilter(kClsidPersistTestFilter)}};
    EXPECT_EQ(file.ApplyPreviewFilterStates(entries), S_OK);
    EXPECT_EQ(LoadCalls(entries[0].filter.Get()), 0u);
}

TEST_F(PreviewFiltersTest, WrittenListReadsBackEntryByEntry)
{
    auto first = CreateTestFilter(kClsidPersistTestFilter);
    SetBlob(first.Get(), kPersistedBlob, "first");
    auto third = CreateTestFilter(kClsidPersistTestFilter);
    SetBlob(third.Get(), kPersistedBlob, "third");
    const std::vector<FilterEntry> written{
        {L"One", kPersistTestFilterName, nullptr, first},
        {L" 無圧縮", NullVideoDisplayName(), nullptr, nullptr},
        {L"Three", kPersistTestFilterName, nullptr, third},
    };
    {
        ProfileFile file;
        ASSERT_HRESULT_SUCCEEDED(file.Create(path_));
        ASSERT_HRESULT_SUCCEEDED(file.WritePreviewFilters(written));
    }
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path_));
    std::vector<FilterEntry> read;
    ASSERT_HRESULT_SUCCEEDED(file.ReadPreviewFilters(true, read));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(GetBlob(read[0].filter.Get(), kPersistedBlob), "first");
    EXPECT_TRUE(read[1].IsNull());
    EXPECT_FALSE(read[1].filter);
    EXPECT_EQ(GetBlob(read[2].filter.Get(), kPersistedBlob), "third");

    // Applying walks the same list, loading every state where it belongs.
    std::vector<FilterEntry> fresh{
        {L"One", kPersistTestFilterName, nullptr, CreateTestFilter(kClsidPersistTestFilter)},
        {L" 無圧縮", NullVideoDisplayName(), nullptr, nullptr},
        {L"Three", kPersistTestFilterName, nullptr, CreateTestFilter(kClsidPersistTestFilter)},
    };
    ASSERT_HRESULT_SUCCEEDED(file.ApplyPreviewFilterStates(fresh));
    EXPECT_EQ(GetBlob(fresh[0].filter.Get(), kPersistedBlob), "first");
    EXPECT_EQ(GetBlob(fresh[2].filter.Get(), kPersistedBlob), "third");
}

TEST_F(PreviewFiltersTest, ADamagedStateFailsWithTheFiltersError)
{
    WriteRawProfile(path_, {{L"COMMON", ValidCommon()},
                            {L"PreviewFilters", StreamBytes()
                                                    .U32(1)
                                                    .U32(1)
                                                    .Text(L"Deinterlace")
                                                    .Text(kPersistTestFilterName)
                                                    .Text(L"PSH")
                                                    .Raw(std::string("TFS1\xff\xff\xff\x7f", 8))}});
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Open(path_));
    std::vector<FilterEntry> entries;
    EXPECT_EQ(file.ReadPreviewFilters(true, entries), kDamagedTestState);
    EXPECT_TRUE(entries.empty());
    ASSERT_HRESULT_SUCCEEDED(file.ReadPreviewFilters(false, entries));
    EXPECT_EQ(file.ApplyPreviewFilterStates(entries), kDamagedTestState);
}

}  // namespace
