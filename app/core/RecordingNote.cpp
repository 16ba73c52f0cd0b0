#include "RecordingNote.h"

#include "../../framework/core/ProfileStore.h"
#include "SettingsStore.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace {

constexpr wchar_t kFieldSeparator = L'|';  // no file name holds it
constexpr wchar_t kLineSeparator = L'\n';
constexpr int kMaxSetFiles = 1000;  // "%03lu" numbers beyond 999 would take four digits
constexpr size_t kSetNumberDigits = 3;

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::wstring::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

bool IsSetNumber(const std::wstring& text)
{
    return text.size() == kSetNumberDigits &&
           std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// `longer` is `shorter` followed by a set number: base000 beside base.
bool NumberedFrom(const std::wstring& longer, const std::wstring& shorter)
{
    return longer.size() == shorter.size() + kSetNumberDigits && longer.compare(0, shorter.size(), shorter) == 0 &&
           IsSetNumber(longer.substr(shorter.size()));
}

std::wstring SetFile(const std::wstring& base, int index)
{
    wchar_t number[8];
    std::swprintf(number, std::size(number), L"%03d", index);
    return base + number + L".avi";
}

}  // namespace

std::wstring FormatRecordingNotes(const std::vector<RecordingNote>& notes)
{
    std::wstring text;
    for (const RecordingNote& note : notes) {
        if (!text.empty())
            text += kLineSeparator;
        text += std::to_wstring(static_cast<int>(note.mode)) + kFieldSeparator + note.reportPath + kFieldSeparator +
                note.muxBase;
    }
    return text;
}

std::vector<RecordingNote> ParseRecordingNotes(const std::wstring& text)
{
    std::vector<RecordingNote> notes;
    for (const std::wstring& line : Split(text, kLineSeparator)) {
        const std::vector<std::wstring> fields = Split(line, kFieldSeparator);
        if (fields.size() != 3 || fields[2].empty())
            continue;
        if (fields[0] == L"0")
            notes.push_back({fields[2], MuxFileMode::FileSet, fields[1]});
        else if (fields[0] == L"1")
            notes.push_back({fields[2], MuxFileMode::SingleFile, fields[1]});
    }
    return notes;
}

std::vector<std::wstring> ExistingRecordingFiles(const RecordingNote& note,
                                                 const std::function<bool(const std::wstring&)>& exists)
{
    std::vector<std::wstring> files;
    if (note.mode == MuxFileMode::SingleFile) {
        if (exists(note.muxBase + L".avi"))
            files.push_back(note.muxBase + L".avi");
        return files;
    }
    for (int i = 0; i < kMaxSetFiles && exists(SetFile(note.muxBase, i)); ++i)
        files.push_back(SetFile(note.muxBase, i));
    return files;
}

bool WouldOverwrite(const RecordingNote& note, const std::wstring& muxBase)
{
    const std::wstring noted = Lower(note.muxBase), coming = Lower(muxBase);
    return noted == coming || NumberedFrom(noted, coming) || NumberedFrom(coming, noted);
}

std::optional<RecordingNote> OverwrittenNote(const std::vector<RecordingNote>& notes, const std::wstring& muxBase)
{
    for (const RecordingNote& note : notes)
        if (WouldOverwrite(note, muxBase))
            return note;
    return std::nullopt;
}

std::vector<RecordingNote> RecordingNotes::Read() const
{
    return ParseRecordingNotes(profile_.GetString(kSettingsSection, kRecordingNotesEntry, L""));
}

bool RecordingNotes::Add(const RecordingNote& note)
{
    std::vector<RecordingNote> notes = Read();
    notes.push_back(note);
    return Write(notes);
}

bool RecordingNotes::Remove(const std::wstring& muxBase)
{
    std::vector<RecordingNote> notes = Read();
    const auto kept = std::remove_if(notes.begin(), notes.end(),
                                     [&](const RecordingNote& note) { return Lower(note.muxBase) == Lower(muxBase); });
    if (kept == notes.end())
        return true;
    notes.erase(kept, notes.end());
    return Write(notes);
}

bool RecordingNotes::Write(const std::vector<RecordingNote>& notes)
{
    return profile_.WriteString(kSettingsSection, kRecordingNotesEntry, FormatRecordingNotes(notes)) &&
           profile_.Flush(kSettingsSection);
}
