// What the property pages show in their boxes and what they make of the text typed there.
#include <gtest/gtest.h>

#include "PageText.h"

using namespace trelvox;

TEST(PageText, RealsShowSixDecimalsAndReadBackAsAtofDoes)
{
    EXPECT_EQ("0.500000", FormatReal(0.5));
    EXPECT_EQ("1234567.250000", FormatReal(1234567.25));
    EXPECT_DOUBLE_EQ(0.5, ParseReal(FormatReal(0.5)));
    EXPECT_DOUBLE_EQ(2.75, ParseReal(" 2.75 frames"));
    EXPECT_DOUBLE_EQ(-1.5, ParseReal("-1.5")) << "the setter clamps, not the page";
    EXPECT_DOUBLE_EQ(0.0, ParseReal("abc"));
}

TEST(PageText, NumbersAreWholeUnsigned32BitValues)
{
    EXPECT_EQ(40u, ParseUnsigned("40"));
    EXPECT_EQ(7u, ParseUnsigned("  7 "));
    EXPECT_EQ(4294967295u, ParseUnsigned("4294967295"));
    EXPECT_EQ(0u, ParseUnsigned("0"));
    for (const char* bad : {"", "  ", "4294967296", "99999999999999999999", "-1", "12a", "1 2", "0x10", "1.5"})
        EXPECT_FALSE(ParseUnsigned(bad).has_value()) << '"' << bad << '"';
    EXPECT_EQ("4294967295", FormatUnsigned(4294967295u));
}

TEST(PageText, StartTimeIsShownInMillisecondsAndStoredIn100nsUnits)
{
    EXPECT_EQ(1500u, MillisecondsFromTime(15'000'000));
    EXPECT_EQ(1u, MillisecondsFromTime(19'999)) << "partial milliseconds are cut";
    EXPECT_EQ(0u, MillisecondsFromTime(-10'000));
    EXPECT_EQ(15'000'000, TimeFromMilliseconds(1500));
    EXPECT_EQ(int64_t{4294967295} * 10'000, TimeFromMilliseconds(4294967295u)) << "no 32-bit overflow";
}
