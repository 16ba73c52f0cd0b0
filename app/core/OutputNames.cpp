#include "OutputNames.h"

#include <climits>
#include <cwchar>

namespace {

constexpr wchar_t kPartSeparator[] = L"-";
constexpr wchar_t kRecordExtension[] = L".avi";
constexpr wchar_t kReportExtension[] = L".log";
constexpr wchar_t kClipboardTarget[] = L"CLIPBOARD";
// The image output adds "." and the encoder's three-letter extension.
constexpr size_t kImageExtensionRoom = 4;
// Room for one conversion's text: the longest is a time zone's name.
constexpr size_t kConversionLength = 128;

// The conversions every C runtime's time formatter takes, with "#" the only flag.
bool IsPortableTimeFormat(const std::wstring& format)
{
    static constexpr wchar_t kConversions[] = L"aAbBcdHIjmMpSUwWxXyYzZ%";
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%')
            continue;
        if (++i < format.size() && format[i] == L'#')
            ++i;
        if (i >= format.size() || !std::wcschr(kConversions, format[i]))
            return false;
    }
    return true;
}

// One conversion ("%d", "%#d") through the runtime; the literal text between conversions
// never goes through it, since some runtimes mangle characters outside the C locale.
std::wstring FormatConversion(const std::wstring& conversion, const std::tm& now)
{
    wchar_t text[kConversionLength];
    const size_t length = std::wcsftime(text, kConversionLength, conversion.c_str(), &now);
    return std::wstring(text, length);
}

NameResult FormatTime(const std::wstring& format, const std::tm& now)
{
    const std::wstring& used = format.empty() ? std::wstring(kDefaultNameTimeFormat) : format;
    if (!IsPortableTimeFormat(used))
        return {L"", NameFault::TimeFormat};
    std::wstring result;
    for (size_t i = 0; i < used.size() && result.size() < kNameBufferLength; ++i) {
        if (used[i] != L'%') {
            result += used[i];
            continue;
        }
        const size_t start = i++;
        if (used[i] == L'#')
            ++i;
        result += FormatConversion(used.substr(start, i - start + 1), now);
    }
    if (result.size() >= kNameBufferLength)
        return {L"", NameFault::TimeTooLong};
    return {std::move(result)};
}

bool IsFileNameCharacter(wchar_t c)
{
    return c >= 32 && !std::wcschr(L"\\/:*?\"<>|", c);
}

bool IsFileName(const std::wstring& name)
{
    for (wchar_t c : name) {
        if (!IsFileNameCharacter(c))
            return false;
    }
    return true;
}

// The serial number's successor; the largest number wraps to the smallest.
int NextSerial(int serial)
{
    return serial == INT_MAX ? INT_MIN : serial + 1;
}

std::wstring Printed(const wchar_t* format, int a, int b, const wchar_t* c = L"")
{
    wchar_t text[64];
    std::swprintf(text, std::size(text), format, a, b, c);
    return text;
}

NameResult Fitting(std::wstring path, size_t limit)
{
    if (path.size() > limit)
        return {L"", NameFault::PathTooLong};
    return {std::move(path)};
}

bool EndsWithBackslash(const std::wstring& folder)
{
    return !folder.empty() && folder.back() == L'\\';
}

}  // namespace

NameResult BuildName(const std::wstring& prefix, int rule, const std::wstring& timeFormat, const std::tm& now,
                     const std::wstring& sizePart, int& serial)
{
    std::wstring name = prefix;
    bool partWritten = false;
    if (rule & kNamePartTime) {
        NameResult time = FormatTime(timeFormat, now);
        if (!time.ok())
            return time;
        name += time.text;
        partWritten = true;
    }
    if (rule & kNamePartSize) {
        if (partWritten)
            name += kPartSeparator;
        name += sizePart;
        partWritten = true;
    }
    if (rule & kNamePartSerial) {
        if (partWritten)
            name += kPartSeparator;
        name += Printed(L"%04d", serial, 0);
        serial = NextSerial(serial);
    }
    if (!IsFileName(name))
        return {L"", NameFault::Character};
    return {std::move(name)};
}

NameResult MakeRecordName(MainSettings& settings, int width, int height, int format, const std::tm& now)
{
    const bool progressive = format == 2 || format == 4 || format == 5;
    return BuildName(settings.recordNamePrefix, settings.recordNameRule, settings.recordNameTimeFormat, now,
                     Printed(L"%dx%d%ls", width, height, progressive ? L"p" : L"i"), settings.recordSerialNumber);
}

NameResult MakeImageName(MainSettings& settings, int width, int height, const std::tm& now)
{
    return BuildName(settings.imageNamePrefix, settings.imageNameRule, settings.imageNameTimeFormat, now,
                     Printed(L"%dx%d", width, height), settings.imageSerialNumber);
}

std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name)
{
    return EndsWithBackslash(folder) ? folder + name : folder + L"\\" + name;
}

bool NamesRecordAutomatically(const MainSettings& settings)
{
    return settings.recordRule != 0 && !settings.defaultRecordPath.empty();
}

NameResult AutomaticRecordPath(const std::wstring& defaultFolder, const std::wstring& name)
{
    const std::wstring base = JoinFolder(defaultFolder, name);
    if (base.size() > kMaxRecordBaseChars)
        return {L"", NameFault::PathTooLong};
    return {base + kRecordExtension};
}

NameResult DialogInitialFile(const std::wstring& rememberedFolder, const std::wstring& name)
{
    return Fitting(JoinFolder(rememberedFolder, name), kMaxPathChars);
}

NameFault CheckRecordPath(const std::wstring& path)
{
    const size_t nameStart = path.find_last_of(L"\\/");
    const size_t dot = path.find_last_of(L'.');
    const bool hasExtension = dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
    const size_t base = hasExtension ? dot : path.size();
    return path.size() > kMaxPathChars || base > kMaxRecordBaseChars ? NameFault::PathTooLong : NameFault::None;
}

std::wstring FolderOfFile(const std::wstring& path)
{
    const size_t nameStart = path.find_last_of(L"\\/");
    if (nameStart == std::wstring::npos)
        return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L"";
    return path.substr(0, nameStart);
}

NameResult ReportPath(const std::wstring& defaultFolder, const std::wstring& name)
{
    return Fitting(defaultFolder + L"\\" + name + kReportExtension, kMaxPathChars);
}

NameResult ImageTarget(const MainSettings& settings, const std::wstring& name)
{
    if (settings.imageToClipboard)
        return {kClipboardTarget};
    return Fitting(JoinFolder(settings.imagePath, name), kMaxPathChars - kImageExtensionRoom);
}

std::wstring NameFaultMessage(NameFault fault)
{
    switch (fault) {
    case NameFault::TimeFormat:
        return L"ファイル名の時刻の書式に使用できない指定が含まれています。設定を確認してください。";
    case NameFault::TimeTooLong:
        return L"ファイル名の時刻の書式から作られる文字列が長すぎます。設定を確認してください。";
    case NameFault::Character:
        return L"ファイル名に使用できない文字 (\\ / : * ? \" < > |) "
               L"が含まれています。接頭辞と時刻の書式を確認してください。";
    case NameFault::PathTooLong:
        return L"保存先のパスが長すぎます。フォルダーかファイル名を短くしてください。";
    case NameFault::None:
        break;
    }
    return L"";
}

std::tm LocalTimeNow()
{
    const std::time_t now = std::time(nullptr);
    return *std::localtime(&now);
}
