#include "MuxFileName.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace engine {
namespace {

constexpr wchar_t kFileWriterMux[] =
    L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{E2510970-F137-11CE-8B67-00AA00A3F1A6}";

TEST(MuxFileName, TrelvoxGetsDriveFolderAndBaseNameOnly)
{
    EXPECT_EQ(L"D:\\Video\\20261209_0100", MuxFileName(kTrelvoxMoniker, L"D:\\Video\\20261209_0100.avi"));
    EXPECT_EQ(L"D:\\Video\\take.1", MuxFileName(kTrelvoxMoniker, L"D:\\Video\\take.1.avi")) << "only the last dot";
    EXPECT_EQ(L"D:\\my.folder\\take", MuxFileName(kTrelvoxMoniker, L"D:\\my.folder\\take")) << "a dot in a folder";
    EXPECT_EQ(L"C:take", MuxFileName(kTrelvoxMoniker, L"C:take.avi"));
    EXPECT_EQ(L"D:\\Video\\", MuxFileName(kTrelvoxMoniker, L"D:\\Video\\.avi"));
}

TEST(MuxFileName, AnyOtherMultiplexerGetsThePathUnchanged)
{
    EXPECT_EQ(L"D:\\Video\\take.avi", MuxFileName(kFileWriterMux, L"D:\\Video\\take.avi"));
    // Only the exact display name counts, letter case included.
    std::wstring lower = kTrelvoxMoniker;
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    EXPECT_EQ(L"D:\\Video\\take.avi", MuxFileName(lower, L"D:\\Video\\take.avi"));
}

}  // namespace
}  // namespace engine
