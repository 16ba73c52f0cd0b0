// The recordings in progress, noted in the settings the moment each starts and taken
// out when it ends as it should: a note found at start-up is a recording that a crash
// or a power cut interrupted. One value holds every note, a line each, so that a note
// is never half written.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

class ProfileStore;

// Trelvox's file modes: a numbered set of AVI 1.0 files, or one OpenDML file.
enum class MuxFileMode : int {
    FileSet = 0,
    SingleFile = 1,
};

struct RecordingNote {
    std::wstring muxBase;  // the path and base name Trelvox was given
    MuxFileMode mode = MuxFileMode::FileSet;
    std::wstring reportPath;  // empty without a report

    bool operator==(const RecordingNote&) const = default;
};

inline constexpr wchar_t kRecordingNotesEntry[] = L"RecordingsInProgress";

std::wstring FormatRecordingNotes(const std::vector<RecordingNote>& notes);
// Lines that are not notes (a value edited by hand) are left out.
std::vector<RecordingNote> ParseRecordingNotes(const std::wstring& text);

// The noted recording's files that exist: "base.avi", or "base000.avi", "base001.avi", ...
// as long as they follow one another.
std::vector<std::wstring> ExistingRecordingFiles(const RecordingNote& note,
                                                 const std::function<bool(const std::wstring&)>& exists);

// Whether a recording whose multiplexer is given `muxBase` would write into the files of
// the noted one, in either mode (paths compared without regard to case).
bool WouldOverwrite(const RecordingNote& note, const std::wstring& muxBase);
// The first note that a recording given `muxBase` would overwrite, or none.
std::optional<RecordingNote> OverwrittenNote(const std::vector<RecordingNote>& notes, const std::wstring& muxBase);

// The notes in the "Settings" section; each change is written and flushed at once.
class RecordingNotes {
public:
    explicit RecordingNotes(ProfileStore& profile) : profile_(profile) {}

    std::vector<RecordingNote> Read() const;
    bool Add(const RecordingNote& note);
    // Takes out the notes of that multiplexer name; true when none is left of it.
    bool Remove(const std::wstring& muxBase);

private:
    bool Write(const std::vector<RecordingNote>& notes);

    ProfileStore& profile_;
};
