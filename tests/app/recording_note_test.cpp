// The notes of recordings in progress: kept in one settings value that survives damage,
// each change written at once; the files a note stands for; which new names would
// overwrite them; and the lines a repaired recording's report gets.
#include "RecordingNote.h"
#include "RepairTexts.h"
#include "MemoryProfile.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const RecordingNote kSet{L"C:\\rec\\take0000", MuxFileMode::FileSet, L"C:\\rec\\take0000.log"};
const RecordingNote kSingle{L"D:\\other\\clip", MuxFileMode::SingleFile, L""};

TEST(RecordingNotes, EachChangeIsWrittenAtOnceAndOnlyTheEndedRecordingGoes)
{
    MemoryProfile profile;
    RecordingNotes notes(profile);
    EXPECT_TRUE(notes.Read().empty());
    ASSERT_TRUE(notes.Add(kSet));
    ASSERT_TRUE(notes.Add(kSingle));
    EXPECT_EQ(2u, profile.written.size());
    EXPECT_EQ((std::vector<std::wstring>{L"Settings", L"Settings"}), profile.flushed) << "lasts through a power cut";
    EXPECT_EQ((std::vector<RecordingNote>{kSet, kSingle}), RecordingNotes(profile).Read());

    ASSERT_TRUE(notes.Remove(L"c:\\REC\\take0000"));  // Windows paths ignore case
    EXPECT_EQ((std::vector<RecordingNote>{kSingle}), notes.Read());
    ASSERT_TRUE(notes.Remove(L"D:\\other\\clip"));
    EXPECT_TRUE(notes.Read().empty());
    EXPECT_EQ(std::wstring(), std::get<std::wstring>(profile[kRecordingNotesEntry]));
}

TEST(RecordingNotes, DamagedLinesAreLeftOutAndTheGoodOnesKept)
{
    const std::wstring good = FormatRecordingNotes({kSet});
    const std::vector<RecordingNote> notes =
        ParseRecordingNotes(L"garbage\n7|x|C:\\a\n1||\n\n" + good + L"\n0|only two");
    EXPECT_EQ((std::vector<RecordingNote>{kSet}), notes);
    EXPECT_TRUE(ParseRecordingNotes(L"").empty());
}

TEST(RecordingNotes, TheFilesOfANoteAreThoseThatFollowOneAnother)
{
    const std::set<std::wstring> onDisk = {L"C:\\rec\\take0000000.avi", L"C:\\rec\\take0000001.avi",
                                           L"C:\\rec\\take0000003.avi", L"D:\\other\\clip.avi"};
    const auto exists = [&](const std::wstring& path) { return onDisk.count(path) != 0; };
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\rec\\take0000000.avi", L"C:\\rec\\take0000001.avi"}),
              ExistingRecordingFiles(kSet, exists));
    EXPECT_EQ((std::vector<std::wstring>{L"D:\\other\\clip.avi"}), ExistingRecordingFiles(kSingle, exists));
    EXPECT_TRUE(ExistingRecordingFiles(kSingle, [](const std::wstring&) { return false; }).empty());
}

TEST(RecordingNotes, ANewRecordingOverwritesANotedOneOnlyWhereTheirFilesMeet)
{
    EXPECT_TRUE(WouldOverwrite(kSet, L"c:\\rec\\TAKE0000"));
    EXPECT_TRUE(WouldOverwrite(kSingle, L"D:\\other\\clip"));
    // A single file "clip000.avi" is the first file of the set "clip".
    EXPECT_TRUE(WouldOverwrite(kSingle, L"D:\\other\\clip000"));
    EXPECT_TRUE(WouldOverwrite({L"C:\\rec\\take", MuxFileMode::SingleFile, L""}, L"C:\\rec\\take000"));
    EXPECT_FALSE(WouldOverwrite(kSet, L"C:\\rec\\take0001"));
    EXPECT_FALSE(WouldOverwrite(kSet, L"C:\\rec\\take"));
    EXPECT_FALSE(WouldOverwrite(kSingle, L"D:\\other\\clipABC"));
    EXPECT_EQ(kSingle, OverwrittenNote({kSet, kSingle}, L"d:\\other\\clip"));
    EXPECT_FALSE(OverwrittenNote({kSet, kSingle}, L"C:\\rec\\take0002").has_value());
}

TEST(RepairTexts, TheReportSaysWhatBecameOfEachFile)
{
    const std::string lines = ReportRepairedLines({{L"C:\\rec\\take0000000.avi", FileRepair::Repaired, 251, 3},
                                                   {L"C:\\rec\\take0000001.avi", FileRepair::Failed}});
    EXPECT_EQ("\r\nInterrupted Recording. Tavrik ended without stopping it; repaired at its next start.\r\n"
              "Repaired file: C:\\rec\\take0000000.avi: 251 frames recovered (3 null)\r\n"
              "Not repaired:  C:\\rec\\take0000001.avi\r\n",
              lines);
    const std::wstring question =
        RepairQuestion({L"a.avi", L"b.avi", L"c.avi", L"d.avi", L"e.avi", L"f.avi", L"g.avi"});
    EXPECT_NE(std::wstring::npos, question.find(L"e.avi"));
    EXPECT_EQ(std::wstring::npos, question.find(L"f.avi")) << "five files are named";
    EXPECT_NE(std::wstring::npos, question.find(L"ほか 2 ファイル"));
    // One folder is named once: a long path would not fit the message box.
    const std::wstring summary = RepairSummary(
        {{L"C:\\rec\\a000.avi", FileRepair::Repaired, 12, 1}, {L"C:\\rec\\a001.avi", FileRepair::Stopped}});
    EXPECT_EQ(L"中断された録画の修復を中止しました。\n\nフォルダー: C:\\rec\\\n"
              L"  a000.avi: 復元したフレーム 12 (うちヌルフレーム 1)\n"
              L"  a001.avi: 修復を中止しました。元のままです。\n\n次回の起動時にもう一度確認します。",
              summary);
}

}  // namespace
