// Profile values in the registry: defaults for missing values and values of the
// wrong type, and strings of any length.
#include "RegistryProfile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kRoot[] = L"Software\\TavrikProfileTest\\Tavrik";

class RegistryProfileTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TavrikProfileTest"); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TavrikProfileTest"); }

    static void SetRaw(const wchar_t* entry, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kRoot) + L"\\Settings").c_str(),
                                                 entry, type, data, size));
    }

    RegistryProfile profile{kRoot};
};

TEST_F(RegistryProfileTest, WrittenValuesAreReadBackWithTheirRegistryTypes)
{
    EXPECT_TRUE(profile.WriteInt(L"Settings", L"Number", -2));
    EXPECT_TRUE(profile.WriteString(L"Settings", L"Text", L"プレビュー"));
    EXPECT_TRUE(profile.WriteString(L"Settings", L"Empty", L""));
    EXPECT_EQ(-2, profile.GetInt(L"Settings", L"Number", 5));
    EXPECT_EQ(L"プレビュー", profile.GetString(L"Settings", L"Text", L"x"));
    EXPECT_EQ(L"", profile.GetString(L"Settings", L"Empty", L"x"));

    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof number;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, L"Software\\TavrikProfileTest\\Tavrik\\Settings",
                                          L"Number", RRF_RT_ANY, &type, &number, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(0xFFFFFFFEu, number);

    // Sections nest.
    EXPECT_TRUE(profile.WriteString(L"ToolBar\\State", L"Bars", L"1:T:1"));
    EXPECT_EQ(L"1:T:1", profile.GetString(L"ToolBar\\State", L"Bars", L""));
}

TEST_F(RegistryProfileTest, MissingValuesAndValuesOfAnotherTypeGiveTheDefault)
{
    EXPECT_EQ(7, profile.GetInt(L"Settings", L"Missing", 7));
    EXPECT_EQ(L"dflt", profile.GetString(L"Nowhere", L"Missing", L"dflt"));

    SetRaw(L"TextNotNumber", REG_SZ, L"2", 4);
    EXPECT_EQ(1, profile.GetInt(L"Settings", L"TextNotNumber", 1));
    const DWORD five = 5;
    SetRaw(L"NumberNotText", REG_DWORD, &five, sizeof five);
    EXPECT_EQ(L"", profile.GetString(L"Settings", L"NumberNotText", L""));
    const unsigned char bytes[3] = {1, 2, 3};
    SetRaw(L"Binary", REG_BINARY, bytes, sizeof bytes);
    EXPECT_EQ(9, profile.GetInt(L"Settings", L"Binary", 9));
    EXPECT_EQ(L"d", profile.GetString(L"Settings", L"Binary", L"d"));
    SetRaw(L"ShortNumber", REG_DWORD, bytes, 2);
    EXPECT_EQ(4, profile.GetInt(L"Settings", L"ShortNumber", 4));
}

TEST_F(RegistryProfileTest, StringsOfAnyLengthAndWithoutTerminatorAreReadWhole)
{
    const std::wstring longText(70000, L'長');
    EXPECT_TRUE(profile.WriteString(L"Settings", L"Long", longText));
    EXPECT_EQ(longText, profile.GetString(L"Settings", L"Long", L""));

    // Stored without its terminating null, and with an odd byte count.
    SetRaw(L"Unterminated", REG_SZ, L"abcd", 8);
    EXPECT_EQ(L"abcd", profile.GetString(L"Settings", L"Unterminated", L""));
    SetRaw(L"Odd", REG_SZ, L"abcd", 7);
    EXPECT_EQ(L"abc", profile.GetString(L"Settings", L"Odd", L"").substr(0, 3));
    EXPECT_LE(profile.GetString(L"Settings", L"Odd", L"").size(), 4u);
}

}  // namespace
