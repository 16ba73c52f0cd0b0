// The other page's folder and file checks, in their order, and the 16x16 crop rule.
#include "core/PageRules.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using settingsui::CheckGeneralPaths;
using settingsui::GeneralPaths;

const std::set<std::wstring> kFolders = {L"C:\\rec", L"C:\\img"};
const std::set<std::wstring> kFiles = {L"C:\\card.cfg"};
const settingsui::PathQueries kQueries = {[](const std::wstring& p) { return kFolders.count(p) != 0; },
                                          [](const std::wstring& p) { return kFiles.count(p) != 0; }};

TEST(CheckGeneralPaths, EachRefusalInItsOrder)
{
    GeneralPaths paths{true, L"", L"C:\\none", true, L""};
    EXPECT_EQ(L"録画保存場所を指定してください。", CheckGeneralPaths(paths, kQueries));
    paths.recordFolder = L"C:\\missing";
    EXPECT_EQ(L"録画保存場所が無効です。", CheckGeneralPaths(paths, kQueries));
    paths.recordFolder = L"C:\\rec\\";
    EXPECT_EQ(L"静止画保存場所が無効です。", CheckGeneralPaths(paths, kQueries));
    EXPECT_EQ(L"C:\\rec", paths.recordFolder) << "one trailing backslash goes";
    paths.imageFolder = L"";
    EXPECT_EQ(L"設定ファイルを指定してください。", CheckGeneralPaths(paths, kQueries));
    paths.configFile = L"C:\\rec";
    EXPECT_EQ(L"設定ファイルが無効です。", CheckGeneralPaths(paths, kQueries)) << "a folder is no file";
    paths.configFile = L"C:\\card.cfg\\";
    EXPECT_EQ(L"", CheckGeneralPaths(paths, kQueries));
    EXPECT_EQ(L"C:\\card.cfg", paths.configFile);
}

TEST(CheckGeneralPaths, SwitchedOffChecksAskNothing)
{
    GeneralPaths paths{false, L"C:\\missing\\\\", L"", false, L"C:\\absent.cfg"};
    EXPECT_EQ(L"", CheckGeneralPaths(paths, kQueries));
    EXPECT_EQ(L"C:\\missing\\", paths.recordFolder) << "only one backslash is removed";
}

TEST(CropAreaTooSmall, SixteenPixelsEachWayAreEnough)
{
    EXPECT_TRUE(settingsui::CropAreaTooSmall(0, 0, 10, 10));
    EXPECT_TRUE(settingsui::CropAreaTooSmall(100, 0, 115, 1080));
    EXPECT_FALSE(settingsui::CropAreaTooSmall(100, 0, 116, 16));
    EXPECT_FALSE(settingsui::CropAreaTooSmall(0, 0, 1920, 1080));
}

}  // namespace
