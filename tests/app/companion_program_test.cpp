#include "CompanionProgram.h"

#include <gtest/gtest.h>

namespace {

TEST(CompanionProgramPath, TheNameFollowsADoubledBackslashWhateverTheFolderEndsWith)
{
    EXPECT_EQ(L"C:\\Program Files\\Zelvan\\\\ZV_SetUtil.exe",
              CompanionProgramPath(L"C:\\Program Files\\Zelvan", kSettingUtility));
    EXPECT_EQ(L"C:\\Program Files\\Zelvan\\\\ZV_I2CUtil.exe",
              CompanionProgramPath(L"C:\\Program Files\\Zelvan\\", kI2CUtility));
}

TEST(CompanionProgramPath, AFolderBeyond260CharactersGivesNothing)
{
    const std::wstring longest = L"C:\\" + std::wstring(kMaxCardFolderChars - 3, L'a');
    ASSERT_TRUE(CompanionProgramPath(longest, kSettingUtility));
    EXPECT_EQ(longest.size() + 1 + 15, CompanionProgramPath(longest, kSettingUtility)->size());
    EXPECT_FALSE(CompanionProgramPath(longest + L"b", kSettingUtility));
}

}  // namespace
