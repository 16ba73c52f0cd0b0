// Bar layout, the saved bar state, command texts and command tables.
#include "CmdTarget.h"
#include "CommandText.h"
#include "DockLayout.h"
#include "DockState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(FrameLayout, BarsTakeStripsInOrderAndTheViewGetsTheRest)
{
    const LayoutRect client{0, 0, 640, 430};
    const std::vector<BarPlacement> bars = {
        {DockSide::Bottom, true, 20},  // status bar
        {DockSide::Top, true, 26},     // toolbar
        {DockSide::Bottom, true, 60},  // information bar
    };
    const FrameLayout layout = LayOutFrame(client, bars);
    EXPECT_EQ((LayoutRect{0, 410, 640, 430}), layout.bars[0]);
    EXPECT_EQ((LayoutRect{0, 0, 640, 26}), layout.bars[1]);
    EXPECT_EQ((LayoutRect{0, 350, 640, 410}), layout.bars[2]);
    EXPECT_EQ((LayoutRect{0, 26, 640, 350}), layout.view);
}

TEST(FrameLayout, SideBarsSpanBetweenTheHorizontalOnesAndHiddenBarsTakeNothing)
{
    const std::vector<BarPlacement> bars = {
        {DockSide::Bottom, true, 20},
        {DockSide::Left, true, 30},
        {DockSide::Right, false, 50},
        {DockSide::Right, true, 40},
    };
    const FrameLayout layout = LayOutFrame({0, 0, 300, 200}, bars);
    EXPECT_EQ((LayoutRect{0, 0, 30, 180}), layout.bars[1]);
    EXPECT_EQ((LayoutRect{}), layout.bars[2]);
    EXPECT_EQ((LayoutRect{260, 0, 300, 180}), layout.bars[3]);
    EXPECT_EQ((LayoutRect{30, 0, 260, 180}), layout.view);
}

TEST(FrameLayout, BarsLargerThanTheFrameNeverGiveNegativeSizes)
{
    const std::vector<BarPlacement> bars = {
        {DockSide::Top, true, 500}, {DockSide::Bottom, true, 100}, {DockSide::Left, true, -5}};
    const FrameLayout layout = LayOutFrame({0, 0, 100, 80}, bars);
    EXPECT_EQ((LayoutRect{0, 0, 100, 80}), layout.bars[0]);
    EXPECT_EQ((LayoutRect{0, 80, 100, 80}), layout.bars[1]);
    EXPECT_EQ((LayoutRect{0, 80, 0, 80}), layout.bars[2]);
    EXPECT_EQ((LayoutRect{0, 80, 100, 80}), layout.view);

    // A minimised frame has an empty client area.
    const FrameLayout collapsed = LayOutFrame({0, 0, -10, -10}, bars);
    EXPECT_LE(collapsed.view.left, collapsed.view.right);
    EXPECT_LE(collapsed.view.top, collapsed.view.bottom);
}

TEST(FrameLayout, ADroppedBarGoesToTheNearestSide)
{
    const LayoutRect area{0, 0, 600, 400};
    EXPECT_EQ(DockSide::Top, NearestSide(area, 300, 10));
    EXPECT_EQ(DockSide::Bottom, NearestSide(area, 300, 395));
    EXPECT_EQ(DockSide::Left, NearestSide(area, 5, 200));
    EXPECT_EQ(DockSide::Right, NearestSide(area, 590, 200));
    EXPECT_EQ(DockSide::Left, NearestSide(area, -3000, 200));
}

TEST(DockState, RoundTripsEveryBar)
{
    const std::vector<BarState> bars = {{59393, DockSide::Bottom, true},
                                        {59392, DockSide::Left, false},
                                        {59397, DockSide::Right, true},
                                        {1, DockSide::Top, true}};
    const std::wstring text = FormatDockState(bars);
    EXPECT_EQ(L"59393:B:1;59392:L:0;59397:R:1;1:T:1", text);
    EXPECT_EQ(bars, ParseDockState(text));
}

TEST(DockState, DamagedEntriesAreSkipped)
{
    EXPECT_TRUE(ParseDockState(L"").empty());
    EXPECT_TRUE(ParseDockState(L";;;").empty());
    EXPECT_TRUE(ParseDockState(std::wstring(100000, L'7')).empty());
    const std::vector<BarState> expected = {{59392, DockSide::Left, true}, {59397, DockSide::Bottom, false}};
    EXPECT_EQ(expected, ParseDockState(L"abc;59392:L:1;70000:T:1;5:X:1;5:T:2;-1:T:1;:T:1;59392:R:0;59397:B:0;12:T:1x"));
}

TEST(CommandText, PromptBeforeTheNewlineTooltipAfterIt)
{
    EXPECT_EQ(L"録画の開始", CommandPrompt(L"録画の開始\n録画の開始"));
    EXPECT_EQ(L"画面サイズを25%に変更", CommandTooltip(L"画面サイズを25%に変更する\n画面サイズを25%に変更"));
    EXPECT_EQ(L"only a prompt", CommandPrompt(L"only a prompt"));
    EXPECT_EQ(L"", CommandTooltip(L"only a prompt"));
}

class RecordingCmdUI : public FwCmdUI {
public:
    using FwCmdUI::FwCmdUI;
    void Enable(bool on) override { enabled = on; }
    void SetCheck(bool on) override { checked = on; }
    void SetText(const std::wstring& t) override { text = t; }
    int enabled = -1;
    int checked = -1;
    std::wstring text;
};

class SampleTarget : public FwCmdTarget {
public:
    SampleTarget()
    {
        OnCommand(10, [this] { ran.push_back(10); });
        OnCommandRange(20, 22, [this](unsigned id) { ran.push_back(id); });
        OnUpdate(20, [](FwCmdUI& ui) {
            ui.Enable(false);
            ui.SetCheck(true);
            ui.SetText(L"twenty");
        });
        OnUpdateRange(30, 31, [](FwCmdUI& ui) { ui.Enable(ui.Id() == 31); });
    }
    std::vector<unsigned> ran;
};

TEST(CommandTable, CommandsRunAndUpdateHandlersDecideHowTheyLook)
{
    SampleTarget target;
    EXPECT_TRUE(target.OnCmdMsg(10, nullptr));
    EXPECT_TRUE(target.OnCmdMsg(21, nullptr));
    EXPECT_FALSE(target.OnCmdMsg(23, nullptr));
    EXPECT_FALSE(target.OnCmdMsg(30, nullptr));  // only an update handler
    EXPECT_EQ((std::vector<unsigned>{10, 21}), target.ran);

    RecordingCmdUI handled(20);
    EXPECT_TRUE(target.OnCmdMsg(20, &handled));
    EXPECT_EQ(0, handled.enabled);
    EXPECT_EQ(1, handled.checked);
    EXPECT_EQ(L"twenty", handled.text);

    RecordingCmdUI commandOnly(22);
    EXPECT_TRUE(target.OnCmdMsg(22, &commandOnly));
    EXPECT_EQ(1, commandOnly.enabled);
    EXPECT_EQ(-1, commandOnly.checked);

    RecordingCmdUI ranged(31), unknown(99);
    EXPECT_TRUE(target.OnCmdMsg(31, &ranged));
    EXPECT_EQ(1, ranged.enabled);
    EXPECT_FALSE(target.OnCmdMsg(99, &unknown));
    EXPECT_EQ(-1, unknown.enabled);
    EXPECT_EQ((std::vector<unsigned>{10, 21}), target.ran) << "updating never runs a command";
}

}  // namespace
