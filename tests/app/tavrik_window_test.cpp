// Drives the real Tavrik.exe with the simulated card and measures its window: the video
// area at each scale and aspect, edge dragging, bars shown and hidden, frame-only mode
// and always on top.
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>

#include "../engine/CardTestSupport.h"
#include "ScreenPicture.h"
#include "TavrikFixture.h"
#include "TavrikProcess.h"

// Beside SIZE, where the assertions find them.
static bool operator==(SIZE a, SIZE b)
{
    return a.cx == b.cx && a.cy == b.cy;
}

static std::ostream& operator<<(std::ostream& out, SIZE size)
{
    return out << size.cx << " x " << size.cy;
}

namespace {

constexpr WPARAM kScale25 = 32821;
constexpr WPARAM kScale50 = 32822;
constexpr WPARAM kScale100 = 32824;
constexpr WPARAM kScale200 = 32826;
constexpr WPARAM kScaleSmaller = 32867;  // Ctrl+Up
constexpr WPARAM kScaleLarger = 32868;   // Ctrl+Down
constexpr WPARAM kAspect16x9 = 32812;
constexpr WPARAM kAspectPrevious = 32869;  // Ctrl+Left
constexpr WPARAM kAspectNext = 32871;      // Ctrl+Right
constexpr WPARAM kToolBar = 59392;
constexpr WPARAM kStatusBar = 59393;
constexpr WPARAM kInformationBar = 32840;
constexpr WPARAM kFrameOnly = 32841;
constexpr WPARAM kTopmost = 32842;
constexpr int kToolBarId = 0xE800;
constexpr int kStatusBarId = 0xE801;
constexpr int kInformationBarId = 0xE805;
constexpr int kAspectPane = 1;

SIZE SizeOf(const RECT& rect)
{
    return {rect.right - rect.left, rect.bottom - rect.top};
}

SIZE VideoArea(HWND main)
{
    return ClientSize(ViewOf(main));
}

bool HasCaption(HWND main)
{
    return (GetWindowLongW(main, GWL_STYLE) & WS_CAPTION) != 0;
}

bool BarShown(HWND main, int id)
{
    return (GetWindowLongW(Descendant(main, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// Rows of the picture that differ from its bottom row, which shows only the colour bars:
// the first and the last one. The card's marker sits in the middle half of its rows.
std::pair<int, int> RowsDifferingFromTheBars(const ScreenPicture& picture)
{
    auto differs = [&](int x, int y) {
        const uint8_t* a = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
        const uint8_t* b = &picture.pixels[(static_cast<size_t>(picture.height - 2) * picture.width + x) * 4];
        return std::abs(a[0] - b[0]) > 80 || std::abs(a[1] - b[1]) > 80 || std::abs(a[2] - b[2]) > 80;
    };
    int first = -1, last = -1;
    for (int y = 0; y < picture.height; ++y) {
        int differing = 0;
        for (int x = 0; x < picture.width; ++x)
            differing += differs(x, y);
        if (differing > picture.width / 40) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    return {first, last};
}

// The rows once the marker shows; it is lost on the white bar.
std::pair<int, int> RowsWithTheMarker(HWND view)
{
    std::pair<int, int> rows{-1, -1};
    WaitFor([&] { return (rows = RowsDifferingFromTheBars(ScreenPicture::Of(view))).second > rows.first + 100; }, 5000);
    return rows;
}

class TavrikWindow : public TavrikTest {
protected:
    // Starts Tavrik at an aspect and a scale and waits until it previews.
    void Start(DWORD aspect, DWORD scale)
    {
        WriteDword(L"VideoAspectMode", aspect);
        WriteDword(L"VideoScale", scale);
        run_.emplace();
        ASSERT_TRUE(run_->Window());
        ASSERT_TRUE(WaitFor([&] { return PaneText(run_->Id(), Main(), 0) == L"プレビュー中"; }));
    }
    HWND Main() { return run_->Window(); }

    // Sends a command and waits for the video area it should give.
    bool CommandGives(WPARAM command, SIZE expected)
    {
        SendMessageW(Main(), WM_COMMAND, command, 0);
        return AreaBecomes(expected);
    }
    bool AreaBecomes(SIZE expected)
    {
        if (WaitFor([&] { return VideoArea(Main()) == expected; }, 5000))
            return true;
        ADD_FAILURE() << "video area " << VideoArea(Main()) << ", not " << expected;
        return false;
    }
    // A command that must leave the window as it is, given time to act.
    void CommandKeepsTheArea(WPARAM command)
    {
        const SIZE before = VideoArea(Main());
        SendMessageW(Main(), WM_COMMAND, command, 0);
        Sleep(700);
        EXPECT_EQ(before, VideoArea(Main())) << "command " << command;
    }
    std::wstring AspectName() { return PaneText(run_->Id(), Main(), kAspectPane); }

    // One step of an edge drag as the system's sizing loop makes it: the proposed
    // rectangle goes to WM_SIZING, and what comes back is applied.
    RECT SizingStep(int edge, RECT proposed)
    {
        SendMessageW(Main(), WM_SIZING, edge, reinterpret_cast<LPARAM>(&proposed));
        SetWindowPos(Main(), nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
                     proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return proposed;
    }

    void Finish()
    {
        EXPECT_EQ(nullptr, MessageBoxOf(run_->Id()));
        ASSERT_TRUE(run_->Close());
    }

    std::optional<TavrikRun> run_;
};

TEST_F(TavrikWindow, ScaleCommandsAndStepsSizeTheVideoArea)
{
    Start(3, 2);  // 16:9, 50 %
    ASSERT_TRUE(AreaBecomes({960, 540}));
    const SIZE frame = SizeOf(Rect(Main()));
    std::cout << "1080i 16:9 50 %: video " << VideoArea(Main()) << " in a window of " << frame << std::endl;
    EXPECT_GT(frame.cx, 960);
    EXPECT_GT(frame.cy, 540 + GetSystemMetrics(SM_CYCAPTION)) << "caption, menu, bars and borders around it";

    EXPECT_TRUE(CommandGives(kScaleLarger, {1440, 810}));
    EXPECT_TRUE(CommandGives(kScale25, {480, 270}));
    CommandKeepsTheArea(kScaleSmaller);
    EXPECT_TRUE(CommandGives(kScaleLarger, {960, 540}));
    EXPECT_TRUE(CommandGives(kScale100, {1920, 1080}));
    Finish();
    EXPECT_EQ(std::optional<DWORD>(4), ReadDword(L"VideoScale"));
}

// 480i widened to 16:9 is 853 x 480; 4:3LB shows the 720 x 360 band from its middle, so the
// code band of the top rows is cut away and the marker stands lower and taller.
TEST_F(TavrikWindow, LetterboxShowsTheMiddleBandOf480i)
{
    SetCardValue(L"Input", L"480i");
    Start(3, 4);  // 16:9, 100 %
    ASSERT_TRUE(AreaBecomes({853, 480}));
    EXPECT_TRUE(WaitFor([&] { return ScreenPicture::Of(ViewOf(Main())).FrameNumber().has_value(); }))
        << "the whole picture shows its code band";
    const auto whole = RowsWithTheMarker(ViewOf(Main()));

    SendMessageW(Main(), WM_COMMAND, 32813, 0);  // 4:3LB
    EXPECT_TRUE(WaitFor([&] { return AspectName() == L"4:3LB"; }));
    EXPECT_TRUE(AreaBecomes({853, 480}));
    const auto cropped = RowsWithTheMarker(ViewOf(Main()));
    std::cout << "rows apart from the bars: whole picture " << whole.first << " to " << whole.second << ", 4:3LB "
              << cropped.first << " to " << cropped.second << std::endl;
    // Whole: code band from row 0, marker (rows 120 to 359) to row 359.
    EXPECT_EQ(0, whole.first);
    EXPECT_NEAR(359, whole.second, 4);
    if (RunsUnderWine()) {
        // Wine's VMR presenter takes its texture coordinates from the source rectangle only when
        // it allocates its surfaces, so a crop set while previewing does not reach its screen.
        // The renderer's source rectangle itself is checked by the engine's tests.
        std::cout << "under Wine the renderer draws the whole picture" << std::endl;
    } else {
        // Band of rows 60 to 419 at 4/3: marker rows 120 to 359 land on 80 to 399.
        EXPECT_FALSE(ScreenPicture::Of(ViewOf(Main())).FrameNumber().has_value()) << "the top rows are cut away";
        EXPECT_NEAR(80, cropped.first, 4);
        EXPECT_NEAR(399, cropped.second, 4);
    }

    EXPECT_TRUE(CommandGives(kScale200, {1706, 960}));
    CommandKeepsTheArea(kScaleLarger);
    Finish();
}

// The VMR-7 chosen while previewing at half size is placed after the rebuilt graph runs,
// though the window keeps its size.
TEST_F(TavrikWindow, RendererChangedAtHalfSizeShowsThePicture)
{
    Start(3, 2);
    ASSERT_TRUE(AreaBecomes({960, 540}));
    SendMessageW(Main(), WM_COMMAND, 32800, 0);
    EXPECT_TRUE(WaitFor([&] { return PaneText(run_->Id(), Main(), 0) == L"プレビュー中"; }));
    EXPECT_TRUE(AreaBecomes({960, 540}));
    EXPECT_TRUE(WaitFor([&] { return ScreenPicture::Of(ViewOf(Main())).FrameNumber().has_value(); }, 10000))
        << "mean green " << ScreenPicture::Of(ViewOf(Main())).MeanGreen();
    Finish();
}

TEST_F(TavrikWindow, FreeAspectLeavesTheScaleAloneButBarsStillRefit)
{
    Start(0, 4);  // Free, 100 %
    const SIZE opened = VideoArea(Main());
    std::cout << "Free: the window keeps its first size, video " << opened << std::endl;
    EXPECT_EQ(std::wstring(L"Free"), AspectName());
    CommandKeepsTheArea(kScale50);
    CommandKeepsTheArea(kScaleSmaller);
    CommandKeepsTheArea(kScaleLarger);

    // A layout change fits the video's own size even so.
    SendMessageW(Main(), WM_COMMAND, kToolBar, 0);
    EXPECT_TRUE(AreaBecomes({1920, 1080}));
    EXPECT_FALSE(BarShown(Main(), kToolBarId));

    SendMessageW(Main(), WM_COMMAND, kAspect16x9, 0);
    EXPECT_TRUE(CommandGives(kScale50, {960, 540})) << "scale choices work again with an aspect";
    Finish();
}

TEST_F(TavrikWindow, AspectStepsWrapThroughFree)
{
    Start(5, 2);  // 16:9ZOOM, 50 %
    ASSERT_TRUE(AreaBecomes({960, 540}));
    const struct {
        WPARAM command;
        const wchar_t* name;
    } steps[] = {{kAspectNext, L"Free"},         {kAspectNext, L"4:3"},  {kAspectPrevious, L"Free"},
                 {kAspectPrevious, L"16:9ZOOM"}, {kAspectNext, L"Free"}, {kAspectNext, L"4:3"}};
    for (const auto& step : steps) {
        SendMessageW(Main(), WM_COMMAND, step.command, 0);
        EXPECT_TRUE(WaitFor([&] { return AspectName() == step.name; }, 5000))
            << "aspect " << Narrow(AspectName()) << " instead of " << Narrow(step.name);
    }
    // 1440 x 1080 at 50 %.
    EXPECT_TRUE(AreaBecomes({720, 540}));
    Finish();
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"VideoAspectMode"));
}

// A corner drag is refused; a right edge drag keeps the height in 16:9 one step behind
// the pointer, frees the scale, and Ctrl+Up then returns to 100 %.
TEST_F(TavrikWindow, EdgeDragKeepsTheAspectOneStepBehind)
{
    Start(3, 2);
    ASSERT_TRUE(AreaBecomes({960, 540}));
    const RECT start = Rect(Main());

    RECT corner = start;
    corner.right += 100;
    corner.bottom += 80;
    const RECT answered = SizingStep(WMSZ_BOTTOMRIGHT, corner);
    EXPECT_TRUE(EqualRect(&answered, &start)) << "the corner drag gets the window's own rectangle";
    EXPECT_EQ((SIZE{960, 540}), VideoArea(Main()));

    RECT proposed = start;
    SIZE before = VideoArea(Main());
    for (int step = 0; step < 4; ++step) {
        proposed.right += 40;
        proposed = SizingStep(WMSZ_RIGHT, proposed);
        const SIZE after = VideoArea(Main());
        EXPECT_EQ(before.cx + 40, after.cx) << "step " << step;
        EXPECT_EQ(static_cast<int>(before.cx * 9.0 / 16.0 + 0.5), after.cy) << "step " << step;
        before = after;
    }
    // The pointer stops: one more step catches up.
    SizingStep(WMSZ_RIGHT, Rect(Main()));
    EXPECT_EQ((SIZE{1120, 630}), VideoArea(Main()));

    EXPECT_TRUE(CommandGives(kScaleSmaller, {1920, 1080})) << "free size steps to 100 %";
    Finish();
}

TEST_F(TavrikWindow, HidingAndShowingEachBarKeepsTheVideoArea)
{
    Start(3, 2);
    ASSERT_TRUE(AreaBecomes({960, 540}));
    const struct {
        WPARAM command;
        int id;
        const char* name;
    } bars[] = {{kInformationBar, kInformationBarId, "information bar"},
                {kToolBar, kToolBarId, "toolbar"},
                {kStatusBar, kStatusBarId, "status bar"}};
    for (const auto& bar : bars) {
        SCOPED_TRACE(bar.name);
        const LONG height = SizeOf(Rect(Main())).cy;
        const LONG thickness = SizeOf(Rect(Descendant(Main(), bar.id))).cy;
        SendMessageW(Main(), WM_COMMAND, bar.command, 0);
        EXPECT_FALSE(BarShown(Main(), bar.id));
        EXPECT_TRUE(WaitFor(
            [&] {
                return SizeOf(Rect(Main())).cy == height - thickness && VideoArea(Main()) == SIZE{960, 540};
            },
            5000))
            << "the window loses the bar's height, video " << VideoArea(Main());
        SendMessageW(Main(), WM_COMMAND, bar.command, 0);
        EXPECT_TRUE(BarShown(Main(), bar.id));
        EXPECT_TRUE(WaitFor(
            [&] {
                return SizeOf(Rect(Main())).cy == height && VideoArea(Main()) == SIZE{960, 540};
            },
            5000))
            << "video " << VideoArea(Main());
    }
    Finish();
}

// Entered with the information bar hidden: caption, menu and bars go, the video keeps its
// size, dragging the video moves the window, and leaving gives back what was shown.
TEST_F(TavrikWindow, FrameOnlyModeHidesCaptionMenuAndBarsAndGivesThemBack)
{
    Start(3, 2);
    ASSERT_TRUE(AreaBecomes({960, 540}));
    SendMessageW(Main(), WM_COMMAND, kInformationBar, 0);
    ASSERT_FALSE(BarShown(Main(), kInformationBarId));

    SendMessageW(Main(), WM_COMMAND, kFrameOnly, 0);
    EXPECT_FALSE(HasCaption(Main()));
    EXPECT_EQ(nullptr, GetMenu(Main()));
    EXPECT_TRUE(GetWindowLongW(Main(), GWL_STYLE) & WS_THICKFRAME) << "the edges still size";
    for (int id : {kToolBarId, kStatusBarId, kInformationBarId})
        EXPECT_FALSE(BarShown(Main(), id)) << std::hex << id;
    EXPECT_TRUE(AreaBecomes({960, 540}));

    const RECT frame = Rect(Main());
    const LRESULT corner = SendMessageW(Main(), WM_NCHITTEST, 0, MAKELPARAM(frame.left + 1, frame.top + 1));
    const LRESULT edge =
        SendMessageW(Main(), WM_NCHITTEST, 0, MAKELPARAM(frame.left + 1, (frame.top + frame.bottom) / 2));
    EXPECT_EQ(HTCAPTION, corner);
    EXPECT_EQ(HTLEFT, edge);

    // Drag the middle of the video 120 pixels right and 80 down with the pointer.
    const POINT from{(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
    SetCursorPos(from.x, from.y);
    INPUT press{};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &press, sizeof press);
    Sleep(200);
    for (int step = 1; step <= 8; ++step) {
        SetCursorPos(from.x + 15 * step, from.y + 10 * step);
        Sleep(50);
    }
    press.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &press, sizeof press);
    EXPECT_TRUE(
        WaitFor([&] { return Rect(Main()).left == frame.left + 120 && Rect(Main()).top == frame.top + 80; }, 5000))
        << "the window is at " << Rect(Main()).left << ", " << Rect(Main()).top << ", was " << frame.left << ", "
        << frame.top;

    SendMessageW(Main(), WM_COMMAND, kFrameOnly, 0);
    EXPECT_TRUE(HasCaption(Main()));
    EXPECT_NE(nullptr, GetMenu(Main()));
    EXPECT_TRUE(BarShown(Main(), kToolBarId));
    EXPECT_TRUE(BarShown(Main(), kStatusBarId));
    EXPECT_FALSE(BarShown(Main(), kInformationBarId)) << "hidden before, hidden after";
    EXPECT_TRUE(AreaBecomes({960, 540}));
    EXPECT_EQ(HTTOPLEFT, SendMessageW(Main(), WM_NCHITTEST, 0, MAKELPARAM(Rect(Main()).left, Rect(Main()).top)));

    // With every bar hidden only the caption and the menu change: the video is refitted all the same.
    SendMessageW(Main(), WM_COMMAND, kToolBar, 0);
    SendMessageW(Main(), WM_COMMAND, kStatusBar, 0);
    EXPECT_TRUE(AreaBecomes({960, 540}));
    for (const char* step : {"entered", "left"}) {
        SendMessageW(Main(), WM_COMMAND, kFrameOnly, 0);
        EXPECT_TRUE(AreaBecomes({960, 540})) << step;
    }
    Finish();
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"WindowMode"));
}

// While the window is maximised or the video is full screen, the window keeps its size
// and style; full screen also keeps its Z order.
TEST_F(TavrikWindow, MaximisedOrFullScreenTheWindowCommandsWait)
{
    Start(3, 2);
    ASSERT_TRUE(AreaBecomes({960, 540}));
    ShowWindow(Main(), SW_MAXIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(Main()) != FALSE; }, 5000));
    const SIZE maximised = VideoArea(Main());
    for (WPARAM command : {kScale25, kScaleSmaller, kScaleLarger, kFrameOnly})
        CommandKeepsTheArea(command);
    EXPECT_TRUE(HasCaption(Main()));
    EXPECT_EQ(maximised, VideoArea(Main()));
    ShowWindow(Main(), SW_RESTORE);
    ASSERT_TRUE(AreaBecomes({960, 540}));

    if (RunsUnderWine()) {
        // Wine's video window answers full-screen mode with E_NOTIMPL.
        std::cout << "no full-screen mode under Wine" << std::endl;
        Finish();
        return;
    }
    HWND video = GetWindow(ViewOf(Main()), GW_CHILD);
    ASSERT_NE(nullptr, video);
    PostMessageW(ViewOf(Main()), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 100));
    ASSERT_TRUE(WaitFor([&] { return GetParent(video) != ViewOf(Main()); }, 5000)) << "the video goes full screen";
    for (WPARAM command : {kScale25, kScaleSmaller, kFrameOnly, kTopmost})
        CommandKeepsTheArea(command);
    EXPECT_TRUE(HasCaption(Main()));
    EXPECT_FALSE(GetWindowLongW(Main(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    PostMessageW(ViewOf(Main()), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return GetParent(video) == ViewOf(Main()); }, 5000)) << "Escape gives the video back";
    EXPECT_TRUE(CommandGives(kScale25, {480, 270}));
    Finish();
}

// "WindowMode" 1 opens without caption; the bars come back when the mode is left, also
// after a session ended in that mode, and the mode is stored. "Topmost" applies at start
// and follows its command.
TEST_F(TavrikWindow, StoredFrameOnlyModeAndAlwaysOnTop)
{
    WriteDword(L"WindowMode", 1);
    WriteDword(L"Topmost", 1);
    Start(3, 2);
    EXPECT_FALSE(HasCaption(Main()));
    EXPECT_EQ(nullptr, GetMenu(Main()));
    EXPECT_TRUE(GetWindowLongW(Main(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(AreaBecomes({960, 540}));
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutW(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result));
    ASSERT_TRUE(SendMessageTimeoutW(Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result));
    run_->Kill();
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"WindowMode"));

    run_.emplace();
    ASSERT_TRUE(run_->Window());
    EXPECT_FALSE(HasCaption(Main()));
    SendMessageW(Main(), WM_COMMAND, kFrameOnly, 0);
    EXPECT_TRUE(HasCaption(Main()));
    for (int id : {kToolBarId, kStatusBarId, kInformationBarId})
        EXPECT_TRUE(BarShown(Main(), id)) << "bar " << std::hex << id << " comes back";

    EXPECT_TRUE(GetWindowLongW(Main(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageW(Main(), WM_COMMAND, kTopmost, 0);
    EXPECT_FALSE(GetWindowLongW(Main(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    Finish();
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"WindowMode"));
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"Topmost"));
}

// 720p: the scales of 75 % and 150 % at 16:9, then at 50 % the 4:3 family, the 16:9 zoom
// and Free, which keeps the window as it is.
TEST_F(TavrikWindow, EveryScaleAndAspectCommandGivesItsArea)
{
    SetCardValue(L"Input", L"720p");
    Start(3, 4);
    ASSERT_TRUE(AreaBecomes({1280, 720}));
    EXPECT_TRUE(CommandGives(32823, {960, 540}));
    EXPECT_TRUE(CommandGives(32825, {1920, 1080}));
    EXPECT_TRUE(CommandGives(kScale50, {640, 360}));
    const struct {
        WPARAM command;
        const wchar_t* name;
        SIZE area;
    } aspects[] = {{32811, L"4:3", {480, 360}},
                   {32814, L"16:9PAN", {480, 360}},
                   {32815, L"16:9ZOOM", {640, 360}},
                   {32810, L"Free", {640, 360}}};
    for (const auto& aspect : aspects) {
        EXPECT_TRUE(CommandGives(aspect.command, aspect.area)) << Narrow(aspect.name);
        EXPECT_TRUE(WaitFor([&] { return AspectName() == aspect.name; }, 5000)) << Narrow(AspectName());
    }
    CommandKeepsTheArea(kScale100);
    Finish();
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"VideoAspectMode"));
    EXPECT_EQ(std::optional<DWORD>(2), ReadDword(L"VideoScale"));
}

}  // namespace
