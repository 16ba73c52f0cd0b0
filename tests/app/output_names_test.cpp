// Names of recordings and still images, the folders they go to, and the paths
// that are refused rather than cut.
#include "OutputNames.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// 31 December 2007 23:59:58.
std::tm NewYearsEve()
{
    std::tm t{};
    t.tm_year = 107;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 58;
    t.tm_wday = 1;
    t.tm_yday = 364;
    return t;
}

MainSettings RecordSettings(const std::wstring& prefix, int rule, int serial)
{
    MainSettings settings;
    settings.recordNamePrefix = prefix;
    settings.recordNameRule = rule;
    settings.recordSerialNumber = serial;
    return settings;
}

std::wstring RecordName(MainSettings& settings, int format, int width = 1920, int height = 1080)
{
    const NameResult result = MakeRecordName(settings, width, height, format, NewYearsEve());
    EXPECT_TRUE(result.ok());
    return result.text;
}

TEST(RecordName, PartsJoinedByDashesWithThePrefixGlued)
{
    MainSettings settings = RecordSettings(L"rec", 7, 12);
    EXPECT_EQ(L"rec20071231235958-1920x1080i-0012", RecordName(settings, 3));
    EXPECT_EQ(13, settings.recordSerialNumber);

    settings = RecordSettings(L"", 6, 12);
    EXPECT_EQ(L"1920x1080i-0012", RecordName(settings, 3));
    settings = RecordSettings(L"", 0, 12);
    EXPECT_EQ(L"", RecordName(settings, 3));
    EXPECT_EQ(12, settings.recordSerialNumber) << "no serial part, no advance";
    settings = RecordSettings(L"", 1, 0);
    EXPECT_EQ(L"20071231235958", RecordName(settings, 3)) << "the defaults";
    settings = RecordSettings(L"cap_", 1, 0);
    EXPECT_EQ(L"cap_20071231235958", RecordName(settings, 3));
    settings = RecordSettings(L"", 5, 3);
    EXPECT_EQ(L"20071231235958-0003", RecordName(settings, 3));
    settings = RecordSettings(L"x", 8 | 1, 0);
    EXPECT_EQ(L"x20071231235958", RecordName(settings, 3)) << "other bits are ignored";
}

TEST(RecordName, SerialAloneCountsUpWithFourDigitsOrMore)
{
    MainSettings settings = RecordSettings(L"", 4, 0);
    EXPECT_EQ(L"0000", RecordName(settings, 3));
    EXPECT_EQ(L"0001", RecordName(settings, 3));
    settings.recordSerialNumber = 12345;
    EXPECT_EQ(L"12345", RecordName(settings, 3));
    settings.recordSerialNumber = -7;
    EXPECT_EQ(L"-007", RecordName(settings, 3)) << "a stored 0xFFFFFFF9 reads as negative";
    EXPECT_EQ(-6, settings.recordSerialNumber);
    settings.recordSerialNumber = INT_MAX;
    EXPECT_EQ(L"2147483647", RecordName(settings, 3));
    EXPECT_EQ(INT_MIN, settings.recordSerialNumber) << "wraps instead of overflowing";
}

TEST(RecordName, SizePartNamesTheScanOfEachInputFormat)
{
    const struct {
        int format, width, height;
        const wchar_t* expected;
    } rows[] = {{0, 0, 0, L"0x0i"},
                {1, 720, 480, L"720x480i"},
                {2, 720, 480, L"720x480p"},
                {3, 1920, 1080, L"1920x1080i"},
                {4, 1280, 720, L"1280x720p"},
                {5, 1920, 1080, L"1920x1080p"},
                {9, 1920, 1080, L"1920x1080i"}};
    for (const auto& row : rows) {
        MainSettings settings = RecordSettings(L"", 2, 0);
        EXPECT_EQ(row.expected, RecordName(settings, row.format, row.width, row.height));
    }
}

TEST(RecordName, TimeFormatIsTheUsersAndEmptyMeansTheDefault)
{
    MainSettings settings = RecordSettings(L"", 1, 0);
    settings.recordNameTimeFormat = L"%y-%m-%d_%H%M";
    EXPECT_EQ(L"07-12-31_2359", RecordName(settings, 3));
    settings.recordNameTimeFormat = L"%#d%%";
    EXPECT_EQ(L"31%", RecordName(settings, 3)) << "the '#' flag and a literal percent";
    settings.recordNameTimeFormat = L"録画%j";
    EXPECT_EQ(L"録画365", RecordName(settings, 3));
}

TEST(RecordName, UnusableTimeFormatsAndCharactersAreFaultsNotNames)
{
    const struct {
        const wchar_t* prefix;
        const wchar_t* format;
        NameFault fault;
    } cases[] = {
        {L"", L"%Q", NameFault::TimeFormat}, {L"", L"%Y%", NameFault::TimeFormat},  {L"", L"%#", NameFault::TimeFormat},
        {L"", L"%E", NameFault::TimeFormat}, {L"", L"%H:%M", NameFault::Character}, {L"a/b", L"", NameFault::Character},
        {L"a?", L"", NameFault::Character},  {L"tab\t", L"", NameFault::Character},
    };
    for (const auto& c : cases) {
        MainSettings settings = RecordSettings(c.prefix, 5, 40);
        settings.recordNameTimeFormat = c.format;
        const NameResult result = MakeRecordName(settings, 1920, 1080, 3, NewYearsEve());
        EXPECT_EQ(c.fault, result.fault);
        EXPECT_TRUE(result.text.empty());
        EXPECT_FALSE(NameFaultMessage(result.fault).empty());
    }
}

TEST(RecordName, TimeThatDoesNotFitItsBufferIsRefusedWhole)
{
    MainSettings settings = RecordSettings(L"", 1, 0);
    settings.recordNameTimeFormat = std::wstring(64, L'x') + L"%Y";
    EXPECT_EQ(68u, RecordName(settings, 3).size());
    // 65 four-digit years are 260 characters: the most that fits.
    std::wstring years;
    for (int i = 0; i < 65; ++i)
        years += L"%Y";
    settings.recordNameTimeFormat = years;
    EXPECT_EQ(260u, RecordName(settings, 3).size());
    settings.recordNameTimeFormat = years + L"x";
    EXPECT_EQ(NameFault::TimeTooLong, MakeRecordName(settings, 1920, 1080, 3, NewYearsEve()).fault);
    settings.recordNameTimeFormat = std::wstring(300, L'y');
    EXPECT_EQ(NameFault::TimeTooLong, MakeRecordName(settings, 1920, 1080, 3, NewYearsEve()).fault);
}

TEST(ImageName, SizeHasNoScanLetterAndItsOwnSerial)
{
    MainSettings settings;
    settings.imageNamePrefix = L"img";
    settings.imageNameRule = 7;
    settings.imageSerialNumber = 9;
    settings.recordSerialNumber = 100;
    const NameResult result = MakeImageName(settings, 853, 480, NewYearsEve());
    EXPECT_EQ(L"img20071231235958-853x480-0009", result.text);
    EXPECT_EQ(10, settings.imageSerialNumber);
    EXPECT_EQ(100, settings.recordSerialNumber);
}

TEST(RecordPath, AutomaticFolderDialogAndReport)
{
    MainSettings settings;
    settings.recordRule = 1;
    EXPECT_FALSE(NamesRecordAutomatically(settings)) << "no default folder: the dialog";
    settings.defaultRecordPath = L"D:\\rec";
    EXPECT_TRUE(NamesRecordAutomatically(settings));
    settings.recordRule = 0;
    EXPECT_FALSE(NamesRecordAutomatically(settings));

    EXPECT_EQ(L"D:\\rec\\a.avi", AutomaticRecordPath(L"D:\\rec", L"a").text);
    EXPECT_EQ(L"D:\\a.avi", AutomaticRecordPath(L"D:\\", L"a").text);
    EXPECT_EQ(L"D:\\My\\Videos\\a", DialogInitialFile(L"D:\\My\\Videos", L"a").text);
    EXPECT_EQ(L"D:\\rec\\a.log", ReportPath(L"D:\\rec", L"a").text);
    EXPECT_EQ(L"D:\\\\a.log", ReportPath(L"D:\\", L"a").text) << "the backslash is always added";
    EXPECT_EQ(L"\\a.log", ReportPath(L"", L"a").text) << "the root of the current drive";

    EXPECT_EQ(L"C:\\Videos", FolderOfFile(L"C:\\Videos\\take.avi"));
    EXPECT_EQ(L"C:", FolderOfFile(L"C:\\take.avi"));
    EXPECT_EQ(L"\\\\server\\share", FolderOfFile(L"\\\\server\\share\\take.avi"));
}

TEST(RecordPath, PathsThatDoNotFitAreRefusedNotCut)
{
    const std::wstring folder = L"C:\\" + std::wstring(240, L'f');  // 243 characters
    const std::wstring fits(9, L'n');                               // 243 + 1 + 9 = 253
    EXPECT_EQ(NameFault::None, AutomaticRecordPath(folder, fits.substr(1)).fault);
    EXPECT_EQ(NameFault::PathTooLong, AutomaticRecordPath(folder, fits).fault)
        << "the multiplexer's numbered files would not fit";

    EXPECT_EQ(NameFault::None, CheckRecordPath(folder + L"\\" + fits.substr(1) + L".avi"));
    EXPECT_EQ(NameFault::PathTooLong, CheckRecordPath(folder + L"\\" + fits + L".avi"));
    EXPECT_EQ(NameFault::PathTooLong, CheckRecordPath(folder + L"\\" + fits + L"x"));
    EXPECT_EQ(NameFault::None, CheckRecordPath(folder + L"\\short." + std::wstring(8, L'e')))
        << "only the part before the extension must leave room for the numbering";

    const std::wstring longest(259 - 7, L'r');  // "C:", "\", the name and ".log"
    EXPECT_EQ(NameFault::None, ReportPath(L"C:", longest).fault);
    EXPECT_EQ(NameFault::PathTooLong, ReportPath(L"C:", longest + L"r").fault);
    EXPECT_EQ(NameFault::PathTooLong, DialogInitialFile(folder, std::wstring(20, L'n')).fault);
}

TEST(ImagePath, ClipboardOrTheFolderWithRoomForTheExtension)
{
    MainSettings settings;
    settings.imagePath = L"E:\\shots\\";
    EXPECT_EQ(L"E:\\shots\\a", ImageTarget(settings, L"a").text);
    settings.imagePath = L"E:\\shots";
    EXPECT_EQ(L"E:\\shots\\a", ImageTarget(settings, L"a").text);
    EXPECT_EQ(NameFault::None, ImageTarget(settings, std::wstring(255 - 9, L'i')).fault);
    EXPECT_EQ(NameFault::PathTooLong, ImageTarget(settings, std::wstring(256 - 9, L'i')).fault);
    settings.imageToClipboard = 1;
    EXPECT_EQ(L"CLIPBOARD", ImageTarget(settings, std::wstring(400, L'i')).text);
}

}  // namespace
