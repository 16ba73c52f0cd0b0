// Names and paths of recordings, reports and still images: prefix, time, size and
// serial parts, the folders they go to, and the limits a path must keep.
#pragma once

#include "MainSettings.h"

#include <ctime>
#include <string>

// Rule bits of "RecordNameRule" and "ImageNameRule".
enum NamePart : int {
    kNamePartTime = 1,
    kNamePartSize = 2,
    kNamePartSerial = 4,
};

// The time format used when the setting is empty.
inline constexpr wchar_t kDefaultNameTimeFormat[] = L"%Y%m%d%H%M%S";
// Characters of a formatted time part, and of a folder path, terminator included.
inline constexpr size_t kNameBufferLength = 261;
// The longest path a file function takes, without the terminator.
inline constexpr size_t kMaxPathChars = 259;
// The longest recording path without its extension: a multiplexer numbers its
// files behind it ("000.avi"), which must still fit kMaxPathChars.
inline constexpr size_t kMaxRecordBaseChars = 252;

enum class NameFault {
    None,
    TimeFormat,   // a conversion the time formatter does not take
    TimeTooLong,  // the formatted time does not fit its buffer
    Character,    // a character no file name may hold
    PathTooLong,  // folder and name do not fit a path
};

struct NameResult {
    std::wstring text;
    NameFault fault = NameFault::None;

    bool ok() const { return fault == NameFault::None; }
};

// The parts common to both kinds: prefix, then time, size and serial as `rule` asks,
// "-" between parts but not after the prefix. The serial number advances when used.
NameResult BuildName(const std::wstring& prefix, int rule, const std::wstring& timeFormat, const std::tm& now,
                     const std::wstring& sizePart, int& serial);

// `format` is the row of the input format table: 2, 4 and 5 are progressive.
NameResult MakeRecordName(MainSettings& settings, int width, int height, int format, const std::tm& now);
NameResult MakeImageName(MainSettings& settings, int width, int height, const std::tm& now);

// The folder and the name, a backslash between them unless the folder ends with one.
std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name);

// "RecordRule" set and a default folder: the recording's path, no dialog.
bool NamesRecordAutomatically(const MainSettings& settings);
NameResult AutomaticRecordPath(const std::wstring& defaultFolder, const std::wstring& name);
// The save dialog's initial file: the remembered folder and the name.
NameResult DialogInitialFile(const std::wstring& rememberedFolder, const std::wstring& name);
// A path the save dialog returned: too long for a recording, or fine.
NameFault CheckRecordPath(const std::wstring& path);
// Drive and folder of a file path, without the trailing backslash.
std::wstring FolderOfFile(const std::wstring& path);
// The report always goes to the default folder: folder, "\", name, ".log".
NameResult ReportPath(const std::wstring& defaultFolder, const std::wstring& name);
// "CLIPBOARD", or the image folder and the name; room is kept for the image
// format's extension.
NameResult ImageTarget(const MainSettings& settings, const std::wstring& name);

// What the user is told when a name or path cannot be made.
std::wstring NameFaultMessage(NameFault fault);

// The current local time.
std::tm LocalTimeNow();
