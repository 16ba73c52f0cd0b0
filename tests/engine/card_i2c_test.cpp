// The vendor command library as the engine loads and calls it: the current
// directory is kept, the file's values reach the bus, and nothing is written without the library.
#include "CardI2C.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "../cardsim/sim_control.h"

namespace {

const std::wstring kCardFolder = L"C:\\Program Files\\Zelvan";

std::wstring CurrentDirectory()
{
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

std::vector<std::string> Lines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

class CardI2CTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logFolder_ = control_.FreshLogFolder(L"cardtools-card-i2c-test");
        // Somewhere other than the card folder the library is loaded from.
        SetCurrentDirectoryW(logFolder_.c_str());
        start_ = CurrentDirectory();
    }

    SimControl control_;
    std::filesystem::path logFolder_;
    std::wstring start_;
};

TEST_F(CardI2CTest, WithoutTheRecordOrItsWriteEntryNothingIsWritten)
{
    EXPECT_EQ(0, ApplyCardConfig(nullptr, 3, L""));
    // The library was not found: every write is skipped, the attempt still counts.
    CardI2C missing;
    missing.loaded = 1;
    EXPECT_EQ(1, ApplyCardConfig(&missing, 3, L""));
    EXPECT_FALSE(std::filesystem::exists(logFolder_ / "i2c.log"));
}

TEST_F(CardI2CTest, CardFolderGivesBothEntryPointsAndTheFileReachesTheBus)
{
    CardI2C card;
    ASSERT_TRUE(OpenCardI2CFrom(card, kCardFolder));
    EXPECT_EQ(start_, CurrentDirectory());
    EXPECT_NE(nullptr, card.busRead);

    // Missing keys keep their defaults; a value that is no number reads as 0.
    const std::filesystem::path file = logFolder_ / "card.cfg";
    std::ofstream(file) << "[Config]\niGGain=7\niBGain=abc\nbAutoGain=1\n[Other]\niRGain=1\n";
    EXPECT_EQ(1, ApplyCardConfig(&card, 5, file.wstring()));
    EXPECT_EQ((std::vector<std::string>{
                  "write device=98 register=05 length=2 data=61 00",
                  "write device=98 register=07 length=2 data=07 00",
                  "write device=98 register=09 length=2 data=00 00",
                  "write device=98 register=0B length=2 data=04 00",
                  "write device=98 register=0D length=2 data=08 00",
                  "write device=98 register=0F length=2 data=04 00",
                  "write device=98 register=1B length=1 data=1B",
                  "write device=98 register=3C length=1 data=0E",
              }),
              Lines(logFolder_ / "i2c.log"));
}

}  // namespace
