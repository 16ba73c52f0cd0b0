// The note of the recording in progress: written when Trelvox has its file name, taken
// out when the recording ends as it should or fails to start. A new recording that
// would write into the files of an interrupted one not yet repaired is not started.
#include "MainFrm.h"

#include "../engine/core/MuxFileName.h"
#include "../framework/App.h"
#include "../framework/Resources.h"
#include "core/OutputNames.h"

void CMainFrame::NoteRecordingInProgress(const std::wstring& reportPath)
{
    const std::optional<engine::MultiplexerFiles> files = engine->RecordingFiles();
    if (!files)
        return;
    RecordingNote note{files->base, files->fileSet ? MuxFileMode::FileSet : MuxFileMode::SingleFile, reportPath};
    if (RecordingNotes(FwApp::Current()->Profile()).Add(note))
        notedMuxBase = note.muxBase;
}

void CMainFrame::ClearRecordingNote()
{
    if (notedMuxBase.empty())
        return;
    RecordingNotes(FwApp::Current()->Profile()).Remove(notedMuxBase);
    notedMuxBase.clear();
}

CMainFrame::NameClash CMainFrame::ClashWithInterruptedRecording(const std::wstring& recordPath)
{
    RecordingNotes notes(FwApp::Current()->Profile());
    const std::optional<RecordingNote> interrupted =
        OverwrittenNote(notes.Read(), engine::WithoutExtension(recordPath));
    if (!interrupted)
        return NameClash::None;
    const bool automatic = NamesRecordAutomatically(settings);
    if (automatic && (settings.recordNameRule & kNamePartSerial))
        return NameClash::NextName;
    const std::wstring files = L"\n\n  " + interrupted->muxBase + L"\n\n";
    if (automatic) {
        FwMessageBox(L"録画ファイル名が、中断されたまま修復されていない録画と同じです。" + files +
                         L"上書きしないよう、録画を開始しません。Tavrik を起動し直して修復するか、"
                         L"録画ファイル名の設定を変えてください。",
                     MB_ICONINFORMATION);
        return NameClash::Refused;
    }
    const std::wstring question = L"このファイル名には、中断されたまま修復されていない録画があります。" + files +
                                  L"録画を開始すると、その録画のファイルは上書きされ、修復できなくなります。\n"
                                  L"上書きしますか?";
    if (FwMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return NameClash::Refused;
    notes.Remove(interrupted->muxBase);
    return NameClash::None;
}
