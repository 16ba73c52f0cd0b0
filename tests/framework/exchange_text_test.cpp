// Numbers typed into edits and the range messages of dialog data exchange.
#include "ExchangeText.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseInteger, WholeNumbersOnly)
{
    int value = 7;
    EXPECT_TRUE(fw::ParseInteger(L" 42 ", value));
    EXPECT_EQ(42, value);
    EXPECT_TRUE(fw::ParseInteger(L"-3", value));
    EXPECT_EQ(-3, value);
    for (const wchar_t* bad : {L"", L"  ", L"1.5", L"12x", L"x", L"99999999999"}) {
        value = 7;
        EXPECT_FALSE(fw::ParseInteger(bad, value)) << bad;
        EXPECT_EQ(7, value) << "unchanged after a refusal";
    }
}

TEST(ParseNumber, PlainDecimalsOnly)
{
    double value = 0;
    EXPECT_TRUE(fw::ParseNumber(L"150", value));
    EXPECT_EQ(150.0, value);
    EXPECT_TRUE(fw::ParseNumber(L"0.5", value));
    EXPECT_EQ(0.5, value);
    for (const wchar_t* bad : {L"", L"inf", L"nan", L"0x10", L"1,5", L"1e999"})
        EXPECT_FALSE(fw::ParseNumber(bad, value)) << bad;
}

TEST(ExchangeText, NumbersAndMessagesReadAsTyped)
{
    EXPECT_EQ(L"100", fw::FormatNumber(100.0));
    EXPECT_EQ(L"1000", fw::FormatNumber(1000.0));
    EXPECT_EQ(L"12.5", fw::FormatNumber(12.5));
    EXPECT_EQ(L"0.1", fw::FormatNumber(0.1));
    EXPECT_EQ(L"16 から 1920 までの整数を入力してください。", fw::IntegerRangeMessage(16, 1920));
    EXPECT_EQ(L"1 から 1000 までの数値を入力してください。", fw::NumberRangeMessage(1, 1000));
}

}  // namespace
