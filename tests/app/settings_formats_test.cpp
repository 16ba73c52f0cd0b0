// The text forms of the window state, the cropping rectangle and the image scale,
// and where the data folder goes.
#include "DataFolder.h"
#include "SettingsFormats.h"
#include "StateTexts.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cwchar>

namespace {

TEST(WindowStateText, ReadsFiveNumbersAndWritesThemBack)
{
    const auto state = ParseWindowState(L"3,-8,-8,1928,1088");
    ASSERT_TRUE(state);
    EXPECT_EQ(3, state->showCommand);
    EXPECT_EQ(-8, state->left);
    EXPECT_EQ(1928, state->right);
    EXPECT_EQ(L"3,-8,-8,1928,1088", FormatWindowState(*state));
    EXPECT_EQ(L"-2147483648,0,0,2147483647,1", FormatWindowState({INT_MIN, 0, 0, INT_MAX, 1}));
}

TEST(WindowStateText, AnythingButAWindowRectangleIsIgnored)
{
    for (const wchar_t* text : {L"", L"1,2,3,4", L"1,0,0,640,x", L"garbage", L"1;0;0;640;480", L"1,0,0,0,480",
                                L"1,100,0,50,480", L"1,0,0,99999999999,480", L"1,-2147483648,0,2147483647,480"}) {
        EXPECT_FALSE(ParseWindowState(text)) << "\"" << std::string(text, text + wcslen(text)) << "\"";
    }
    EXPECT_FALSE(ParseWindowState(std::wstring(50000, L'9')));
    EXPECT_TRUE(ParseWindowState(L"1,0,0,640,480,trailing"));
}

TEST(CroppingRectText, ReadsTheLeadingNumbersAndKeepsTheRest)
{
    CropRect rect{};
    ParseCroppingRect(L"0,0,1920,1080", rect);
    EXPECT_EQ(L"0,0,1920,1080", FormatCroppingRect(rect));

    CropRect partial{};
    ParseCroppingRect(L"10,20", partial);
    EXPECT_EQ(L"10,20,0,0", FormatCroppingRect(partial));

    CropRect kept{1, 2, 3, 4};
    ParseCroppingRect(L"x,5,6,7", kept);
    EXPECT_EQ(L"1,2,3,4", FormatCroppingRect(kept));
    ParseCroppingRect(L"7,99999999999,5,5", kept);
    EXPECT_EQ(L"7,2,3,4", FormatCroppingRect(kept));
    ParseCroppingRect(std::wstring(100000, L','), kept);
    EXPECT_EQ(L"7,2,3,4", FormatCroppingRect(kept));
}

TEST(ScaleText, ReadsADecimalNumberAndWritesItWithSixDecimals)
{
    EXPECT_EQ(150.0, ParseScale(L"150"));
    EXPECT_EQ(L"150.000000", FormatScale(ParseScale(L"150")));
    EXPECT_EQ(L"100.000000", FormatScale(100.0));
    EXPECT_EQ(12.5, ParseScale(L"12.5%"));
    EXPECT_EQ(0.0, ParseScale(L"abc"));
    EXPECT_EQ(0.0, ParseScale(L""));
    // Not numbers a picture can be scaled by.
    EXPECT_EQ(0.0, ParseScale(L"1e999"));
    EXPECT_EQ(0.0, ParseScale(L"nan"));
    EXPECT_EQ(0.0, ParseScale(L"-inf"));
    // A huge scale is written out in full, not cut.
    const std::wstring huge = FormatScale(1e300);
    EXPECT_EQ(1e300, ParseScale(huge));
    EXPECT_EQ(L".000000", huge.substr(huge.size() - 7));
}

TEST(DataFolderPath, LocalAppDataThenTitleThenData)
{
    const auto paths = MakeDataFolderPaths(L"C:\\Users\\u\\AppData\\Local", L"Tavrik", L"CurrentPreview.dat");
    ASSERT_TRUE(paths);
    EXPECT_EQ(L"C:\\Users\\u\\AppData\\Local\\Tavrik", paths->titleFolder);
    EXPECT_EQ(L"C:\\Users\\u\\AppData\\Local\\Tavrik\\Data", paths->dataFolderWithoutSlash);
    EXPECT_EQ(L"C:\\Users\\u\\AppData\\Local\\Tavrik\\Data\\", paths->dataFolder);
    EXPECT_EQ(paths->dataFolder, MakeDataFolderPaths(L"C:\\Users\\u\\AppData\\Local\\", L"Tavrik", L"x")->dataFolder);
}

TEST(DataFolderPath, APathThatWouldNotFitIsRefusedNotCut)
{
    const std::wstring file = L"CurrentPreview.dat";  // 18 characters
    // "<base>\Tavrik\Data\" adds 13 characters; the file and the null must still fit in 260.
    const std::wstring fits(260 - 1 - 18 - 13, L'a');
    ASSERT_TRUE(MakeDataFolderPaths(fits, L"Tavrik", file));
    EXPECT_EQ(259u, MakeDataFolderPaths(fits, L"Tavrik", file)->dataFolder.size() + file.size());
    EXPECT_FALSE(MakeDataFolderPaths(fits + L"a", L"Tavrik", file));
    EXPECT_FALSE(MakeDataFolderPaths(L"C:\\x", std::wstring(300, L't'), file));
    EXPECT_FALSE(MakeDataFolderPaths(L"", L"Tavrik", file));
}

TEST(StateNames, EveryValueHasAName)
{
    EXPECT_EQ(L"停止中", StateText(engine::kNotOpened));
    EXPECT_EQ(L"プレビュー中", StateText(engine::kPreviewing));
    EXPECT_EQ(L"録画中", StateText(engine::kRecording));
    EXPECT_EQ(L"信号検出中", StateText(engine::kDetecting));
    EXPECT_EQ(L"停止中", StateText(engine::kDetectionBuilt));
    EXPECT_EQ(L"Detecting", InputFormatText(engine::kDetecting, 3));
    EXPECT_EQ(L"1080i", InputFormatText(engine::kPreviewing, 3));
    EXPECT_EQ(L"1080p", InputFormatText(engine::kNotOpened, 5));
    EXPECT_EQ(L"No Signal.", InputFormatText(engine::kNotOpened, 6));
    EXPECT_EQ(L"No Signal.", InputFormatText(engine::kNotOpened, -1));
    EXPECT_EQ(L"Free", AspectText(0));
    EXPECT_EQ(L"16:9ZOOM", AspectText(5));
    EXPECT_EQ(L"Unknown", AspectText(6));
    EXPECT_EQ(L"Unknown", AspectText(-1));
    EXPECT_EQ(L"オーバーレイ", RendererText(engine::VideoRendererKind::OverlayMixer));
    EXPECT_EQ(L"VMR9", RendererText(engine::VideoRendererKind::Vmr9));
    // Numbers read back from the settings that name no renderer.
    EXPECT_EQ(L"N/A", RendererText(static_cast<engine::VideoRendererKind>(0)));
    EXPECT_EQ(L"N/A", RendererText(static_cast<engine::VideoRendererKind>(4)));
}

}  // namespace
