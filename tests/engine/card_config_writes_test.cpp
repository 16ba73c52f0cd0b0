#include "CardConfigWrites.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace engine {
namespace {

// "05:61 00 07:64 00 ..." for comparing whole sequences at once.
std::string Describe(const std::array<CardRegisterWrite, kCardConfigWriteCount>& writes)
{
    std::string text;
    char part[16];
    for (const CardRegisterWrite& write : writes) {
        std::snprintf(part, sizeof part, "%s%02X:", text.empty() ? "" : " ",
                      static_cast<unsigned>(write.registerNumber));
        text += part;
        for (uint32_t i = 0; i < write.length; ++i) {
            std::snprintf(part, sizeof part, "%s%02X", i ? " " : "", write.data[i]);
            text += part;
        }
    }
    return text;
}

TEST(CardConfigWrites, DefaultsFor1080iInRegisterOrder)
{
    EXPECT_EQ("05:61 00 07:64 00 09:60 00 0B:04 00 0D:08 00 0F:04 00 1B:1B 3C:00",
              Describe(CardConfigWrites(CardConfig{}, 3)));
}

TEST(CardConfigWrites, GainsKeepTheLowByteAndOffsetsTenBitsAtTheTop)
{
    CardConfig config;
    config.redGain = 300;
    config.greenGain = -1;
    config.redOffset = 1023;
    config.greenOffset = 1024;  // the eleventh bit falls off
    config.blueOffset = -1;
    EXPECT_EQ("05:2C 00 07:FF 00 09:60 00 0B:FF C0 0D:00 00 0F:FF C0 1B:1B 3C:00",
              Describe(CardConfigWrites(config, 3)));
}

TEST(CardConfigWrites, ModeByteFollowsTheFormatAndAutoOffsetAutoGainAnyNonZero)
{
    CardConfig config;
    EXPECT_EQ(0x13, CardConfigWrites(config, 1)[6].data[0]);
    EXPECT_EQ(0x13, CardConfigWrites(config, 2)[6].data[0]);
    for (int format : {0, 3, 4, 5})
        EXPECT_EQ(0x1B, CardConfigWrites(config, format)[6].data[0]) << format;

    config.autoOffset = 1;
    EXPECT_EQ(0x33, CardConfigWrites(config, 2)[6].data[0]);
    EXPECT_EQ(0x3B, CardConfigWrites(config, 4)[6].data[0]);
    config.autoOffset = -7;
    config.autoGain = 2;
    const auto writes = CardConfigWrites(config, 1);
    EXPECT_EQ(0x33, writes[6].data[0]);
    EXPECT_EQ(0x0E, writes[7].data[0]);
    EXPECT_EQ(1u, writes[7].length);
}

}  // namespace
}  // namespace engine
