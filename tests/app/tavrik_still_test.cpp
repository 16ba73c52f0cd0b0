// Still images through the real Tavrik.exe and the simulated card: Ctrl+I and the
// media Pause key, the three file formats, crop, aspect and scale, the clipboard,
// and the requests that save nothing. ImageMagick judges the files afterwards
// (check_tavrik_stills.py).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "../engine/CardTestSupport.h"
#include "TavrikFixture.h"
#include "TavrikProcess.h"
#include "TestPicture.h"

namespace {

constexpr unsigned kMediaPause = 47;
constexpr WPARAM kShellAppCommand = 12;
constexpr wchar_t kNoImageFolder[] = L"静止画保存場所が設定されていません。設定画面で設定してください。";

// A 24-bit bottom-up DIB: a BITMAPINFOHEADER and its rows, as a .bmp holds it behind its
// file header and the clipboard's CF_DIB holds it alone.
struct Dib {
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> rows;

    static std::optional<Dib> From(const uint8_t* bytes, size_t size)
    {
        Dib dib;
        if (size < sizeof dib.header)
            return std::nullopt;
        std::memcpy(&dib.header, bytes, sizeof dib.header);
        const size_t need = Stride(dib.header.biWidth) * Height(dib.header);
        if (dib.header.biSize != sizeof dib.header || dib.header.biBitCount != 24 || size < sizeof dib.header + need)
            return std::nullopt;
        dib.rows.assign(bytes + sizeof dib.header, bytes + sizeof dib.header + need);
        return dib;
    }
    static std::optional<Dib> FromBmpFile(const std::wstring& path)
    {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (bytes.size() < sizeof(BITMAPFILEHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
            return std::nullopt;
        return From(bytes.data() + sizeof(BITMAPFILEHEADER), bytes.size() - sizeof(BITMAPFILEHEADER));
    }

    static size_t Stride(int width) { return (static_cast<size_t>(width) * 24 + 31) / 32 * 4; }
    static int Height(const BITMAPINFOHEADER& h) { return h.biHeight < 0 ? -h.biHeight : h.biHeight; }
    int Width() const { return header.biWidth; }
    int Height() const { return Height(header); }
    // Green of pixel (x, y), y counted from the top.
    uint8_t Green(int x, int y) const { return rows[(Height() - 1 - y) * Stride(Width()) + 3 * x + 1]; }

    // The frame number in the rows of one parity (0 even, 1 odd).
    std::optional<uint32_t> FieldNumber(int parity) const
    {
        cardsim::LumaView view;
        view.data = rows.data() + (Height() - 1 - parity) * Stride(Width());
        view.rowStride = -2 * static_cast<ptrdiff_t>(Stride(Width()));
        view.pixelStep = 3;
        view.lumaOffset = 1;
        view.width = Width();
        view.height = Height() / 2;
        return cardsim::ReadFrameNumber(view);
    }
    // Rows of the marker's band that differ from the row below.
    int CombedRows() const
    {
        int combed = 0;
        for (int y = Height() / 4; y + 1 < Height() - Height() / 4; ++y) {
            for (int x = 0; x < Width(); ++x) {
                if (std::abs(Green(x, y) - Green(x, y + 1)) > 8) {
                    ++combed;
                    break;
                }
            }
        }
        return combed;
    }
};

std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// A file that exists and has stopped growing.
bool FileWritten(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) || data.nFileSizeLow == 0)
        return false;
    Sleep(200);
    WIN32_FILE_ATTRIBUTE_DATA later{};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &later) && later.nFileSizeLow == data.nFileSizeLow;
}

// What ImageMagick is to find: the file, its size, format and JPEG quality (0: none), and
// whether Wine's GDI+ wrote it.
void NoteForIdentify(const std::wstring& file, int width, int height, const char* format, int quality)
{
    std::ofstream notes("tavrik-stills\\expect.txt", std::ios::app);
    notes << Narrow(file.substr(FullPath(L".").size() + 1)) << ' ' << width << ' ' << height << ' ' << format << ' '
          << quality << ' ' << (RunsUnderWine() ? "wine" : "windows") << '\n';
}

// The image rule 6 with the prefix "still": size and serial number.
std::wstring StillName(int width, int height, int serial, const std::wstring& extension)
{
    std::wstring number = std::to_wstring(serial);
    number.insert(0, number.size() < 4 ? 4 - number.size() : 0, L'0');
    return L"still" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L"-" + number + L"." + extension;
}

LPARAM AppCommand(unsigned command)
{
    return MAKELPARAM(0, command);
}

class TavrikStill : public TavrikTest {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryW(L"tavrik-stills", nullptr);
        DeleteFileW(L"tavrik-stills\\expect.txt");
    }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TavrikTest::SetUp());
        folder = FreshFolderUnder(L"tavrik-stills", CaseName());
        WriteString(L"ImageCapturePath", folder);
        WriteString(L"ImageNamePrefix", L"still");
        WriteDword(L"ImageNameRule", 6);  // size and serial number
        WriteDword(L"ImageCaptureCroppingMode", 0);
        WriteDword(L"ImageCaptureAspectMode", 0);
        WriteDword(L"VideoScale", 2);  // 50 %: the preview keeps up with every frame
    }

    static bool WaitForPanes(TavrikRun& run, const std::wstring& status, const std::wstring& format)
    {
        const bool shown = WaitFor([&] {
            return PaneText(run.Id(), run.Window(), 0) == status && PaneText(run.Id(), run.Window(), 2) == format;
        });
        if (!shown)
            ADD_FAILURE() << "the status line shows \"" << Narrow(PaneText(run.Id(), run.Window(), 0)) << "\" and \""
                          << Narrow(PaneText(run.Id(), run.Window(), 2)) << "\"";
        return shown;
    }

    static void PressCtrlI(HWND window)
    {
        SetForegroundWindow(window);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }, 5000));
        INPUT keys[4] = {};
        const WORD codes[4] = {VK_CONTROL, 'I', 'I', VK_CONTROL};
        for (int i = 0; i < 4; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = codes[i];
            keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
        }
        ASSERT_EQ(4u, SendInput(4, keys, sizeof(INPUT)));
    }

    // The still's file, once written, or an empty path.
    std::wstring WaitForStill(const std::wstring& name)
    {
        const std::wstring path = folder + L"\\" + name;
        if (WaitFor([&] { return FileWritten(path); }, 15000))
            return path;
        ADD_FAILURE() << "no " << Narrow(name) << "; the folder holds " << FilesIn(folder).size() << " files";
        return L"";
    }

    std::wstring folder;
};

struct Input {
    const wchar_t* name;
    int width, height;
};
constexpr Input k1080i{L"1080i", 1920, 1080};
constexpr Input k720p{L"720p", 1280, 720};
constexpr Input k480i{L"480i", 720, 480};

// The card switched to an input, and the preview rebuilt for it: the view refits to
// the new height at 50 %.
void SwitchInput(TavrikRun& run, const Input& input)
{
    SetCardValue(L"Input", input.name);
    EXPECT_TRUE(WaitFor([&] { return ClientSize(ViewOf(run.Window())).cy == input.height / 2; }))
        << "the view is " << ClientSize(ViewOf(run.Window())).cy << " high";
    // The view refits while the preview is rebuilt; the state text follows once it runs.
    EXPECT_TRUE(WaitFor([&] { return PaneText(run.Id(), run.Window(), 0) == L"プレビュー中"; }))
        << "the status line shows \"" << Narrow(PaneText(run.Id(), run.Window(), 0)) << "\"";
}

TEST_F(TavrikStill, CtrlISavesEachInputAsBmpPngAndJpegNamedByTheImageRule)
{
    const struct {
        const wchar_t* mime;
        const wchar_t* extension;
        const char* format;
        int quality;
    } formats[] = {
        {L"image/bmp", L"bmp", "BMP", 0}, {L"image/png", L"png", "PNG", 0}, {L"image/jpeg", L"jpg", "JPEG", 95}};

    int serial = 0;
    for (const auto& format : formats) {
        SCOPED_TRACE(Narrow(format.mime));
        WriteString(L"ImageCaptureFileFormat", format.mime);
        SetCardValue(L"Input", k1080i.name);
        TavrikRun run;
        ASSERT_TRUE(run.Window());
        ASSERT_TRUE(WaitForPanes(run, L"プレビュー中", k1080i.name));
        for (const Input& input : {k1080i, k720p, k480i}) {
            SCOPED_TRACE(Narrow(input.name));
            SwitchInput(run, input);
            PressCtrlI(run.Window());
            const std::wstring path = WaitForStill(StillName(input.width, input.height, serial++, format.extension));
            if (!path.empty())
                NoteForIdentify(path, input.width, input.height, format.format, format.quality);
        }
        EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
        ASSERT_TRUE(run.Close());
        EXPECT_EQ(std::optional<DWORD>(serial), ReadDword(L"ImageNameSerialNumber"));
    }
    EXPECT_EQ(9u, FilesIn(folder).size());
}

// The card's interlaced frames carry each picture's fields in two frames: a still from two
// consecutive frames is woven BA (even rows from the later frame) and shows no comb. When
// the preview passed over a frame between the two, no weave is whole and the still is
// frame A alone. A progressive still is one frame.
TEST_F(TavrikStill, InterlacedStillsAreWovenFromTheFieldsOfOnePicture)
{
    WriteString(L"ImageCaptureFileFormat", L"image/bmp");
    SetCardValue(L"Input", k480i.name);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForPanes(run, L"プレビュー中", k480i.name));
    int serial = 0;
    for (const Input& input : {k480i, k1080i, k720p}) {
        SCOPED_TRACE(Narrow(input.name));
        SwitchInput(run, input);
        const bool interlaced = input.height != 720;
        int woven = 0, single = 0;
        for (int attempt = 0; attempt < 6 && woven == 0; ++attempt) {
            PressCtrlI(run.Window());
            const std::wstring path = WaitForStill(StillName(input.width, input.height, serial++, L"bmp"));
            ASSERT_FALSE(path.empty());
            const auto dib = Dib::FromBmpFile(path);
            ASSERT_TRUE(dib) << Narrow(path) << " is no 24-bit bitmap";
            const auto even = dib->FieldNumber(0);
            const auto odd = dib->FieldNumber(1);
            ASSERT_TRUE(even && odd) << "no frame number in the even or odd rows";
            if (*even == *odd) {
                ++single;
                // One interlaced frame combs at the moving marker; a progressive one does not.
                EXPECT_EQ(interlaced, dib->CombedRows() > 0);
                if (!interlaced)
                    break;
                continue;
            }
            EXPECT_TRUE(interlaced) << "a progressive still is one frame";
            EXPECT_EQ(*odd + 1, *even) << "the even rows come from the later frame";
            EXPECT_EQ(0, dib->CombedRows());
            ++woven;
        }
        std::cout << Narrow(input.name) << ": " << woven << " woven, " << single << " of one frame" << std::endl;
        EXPECT_EQ(interlaced ? 1 : 0, woven);
    }
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    ASSERT_TRUE(run.Close());
}

TEST_F(TavrikStill, CropAspectAndScaleGiveTheSizesOfTheirSettings)
{
    const struct {
        const char* what;
        const wchar_t* input;
        DWORD videoAspect, cropping, aspect, scaleMode;
        const wchar_t* scale;
        int width, height;
    } cases[] = {
        {"4:3LB band of 480i at 4:3", L"480i", 2, 1, 1, 0, L"100", 640, 360},
        {"480i stretched to 16:9", L"480i", 1, 0, 2, 0, L"100", 853, 480},
        {"1080i narrowed to 4:3", L"1080i", 3, 0, 3, 0, L"100", 1440, 1080},
        {"16:9ZOOM of 720p at half scale", L"720p", 5, 1, 0, 1, L"50", 480, 270},
    };
    WriteString(L"ImageCaptureFileFormat", L"image/png");
    int serial = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetCardValue(L"Input", c.input);
        WriteDword(L"VideoAspectMode", c.videoAspect);
        WriteDword(L"ImageCaptureCroppingMode", c.cropping);
        WriteDword(L"ImageCaptureAspectMode", c.aspect);
        WriteDword(L"ImageCaptureScaleMode", c.scaleMode);
        WriteString(L"ImageCaptureScale", c.scale);
        TavrikRun run;
        ASSERT_TRUE(run.Window());
        ASSERT_TRUE(WaitForPanes(run, L"プレビュー中", c.input));
        PressCtrlI(run.Window());
        const std::wstring path = WaitForStill(StillName(c.width, c.height, serial++, L"png"));
        if (!path.empty())
            NoteForIdentify(path, c.width, c.height, "PNG", 0);
        ASSERT_TRUE(run.Close());
    }
}

TEST_F(TavrikStill, ClipboardTakesADibAndNoFileIsWritten)
{
    WriteDword(L"ImageCaptureClipboard", 1);
    WriteString(L"ImageCaptureFileFormat", L"image/jpeg");
    SetCardValue(L"Input", L"1080i");
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForPanes(run, L"プレビュー中", L"1080i"));
    const DWORD before = GetClipboardSequenceNumber();
    PressCtrlI(run.Window());
    ASSERT_TRUE(
        WaitFor([&] { return GetClipboardSequenceNumber() != before && IsClipboardFormatAvailable(CF_DIB); }, 15000));
    ASSERT_TRUE(OpenClipboard(nullptr));
    std::optional<Dib> dib;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        if (const void* bytes = GlobalLock(data)) {
            dib = Dib::From(static_cast<const uint8_t*>(bytes), GlobalSize(data));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    ASSERT_TRUE(dib) << "no 24-bit DIB on the clipboard";
    EXPECT_EQ(40u, dib->header.biSize);
    EXPECT_EQ(1920, dib->header.biWidth);
    EXPECT_EQ(1080, dib->header.biHeight) << "bottom-up";
    EXPECT_EQ(BI_RGB, dib->header.biCompression);
    EXPECT_EQ(Dib::Stride(1920) * 1080, dib->header.biSizeImage);
    const auto even = dib->FieldNumber(0);
    const auto odd = dib->FieldNumber(1);
    ASSERT_TRUE(even && odd) << "the card's picture, the right way up";
    EXPECT_EQ(*odd + 1, *even);
    EXPECT_EQ(0, dib->CombedRows());

    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"ImageNameSerialNumber")) << "a clipboard still takes no name";
}

TEST_F(TavrikStill, WithoutAFolderItSaysSoAndAMisspeltFormatSavesNothingQuietly)
{
    WriteString(L"ImageCapturePath", L"");
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForPanes(run, L"プレビュー中", L"1080i"));
    for (int request = 0; request < 2; ++request) {
        PressCtrlI(run.Window());
        std::wstring text;
        ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id(), &text) != nullptr; }, 15000));
        EXPECT_EQ(kNoImageFolder, text);
        PostMessageW(MessageBoxOf(run.Id()), WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id()) == nullptr; }, 5000));
    }
    ASSERT_TRUE(run.Close());

    WriteString(L"ImageCapturePath", folder);
    WriteString(L"ImageCaptureFileFormat", L"image/jepg");
    TavrikRun misspelt;
    ASSERT_TRUE(misspelt.Window());
    ASSERT_TRUE(WaitForPanes(misspelt, L"プレビュー中", L"1080i"));
    for (int request = 0; request < 2; ++request) {
        PressCtrlI(misspelt.Window());
        Sleep(3000);
    }
    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_EQ(nullptr, MessageBoxOf(misspelt.Id()));
    ASSERT_TRUE(misspelt.Close());
}

TEST_F(TavrikStill, TheMediaPauseKeyTakesAStillWhileAnotherWindowHasTheFocus)
{
    WriteString(L"ImageCaptureFileFormat", L"image/bmp");
    SetCardValue(L"Input", L"720p");
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForPanes(run, L"プレビュー中", L"720p"));

    HWND other = CreateWindowExW(0, L"STATIC", L"other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 5000));
    // The shell tells its hook windows of the keys the program in front left unused.
    PostMessageW(run.Window(), RegisterWindowMessageW(L"SHELLHOOK"), kShellAppCommand, AppCommand(kMediaPause));
    EXPECT_FALSE(WaitForStill(L"still1280x720-0000.bmp").empty());
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(other), AppCommand(kMediaPause));
    EXPECT_FALSE(WaitForStill(L"still1280x720-0001.bmp").empty());
    EXPECT_EQ(other, GetForegroundWindow());
    DestroyWindow(other);
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    ASSERT_TRUE(run.Close());
}

}  // namespace
