#include "SettingsStore.h"

#include "../../framework/core/ProfileStore.h"
#include "SettingsFormats.h"

#include <variant>

namespace {

// A field of the settings: one of their own, or one of the main window's block.
template <typename T>
struct FieldOf {
    T StoredSettings::*own = nullptr;
    T MainSettings::*inBlock = nullptr;

    T& In(StoredSettings& s) const { return own ? s.*own : s.main.*inBlock; }
    const T& In(const StoredSettings& s) const { return own ? s.*own : s.main.*inBlock; }
};

template <typename T>
FieldOf<T> Own(T StoredSettings::*field)
{
    return {field, nullptr};
}

template <typename T>
FieldOf<T> InBlock(T MainSettings::*field)
{
    return {nullptr, field};
}

// An integer value; `T` is int or an enumeration stored as its number.
template <typename T>
struct Number {
    FieldOf<T> field;
    T defaultValue;

    void Read(const ProfileStore& profile, const wchar_t* name, StoredSettings& s) const
    {
        field.In(s) = static_cast<T>(profile.GetInt(kSettingsSection, name, static_cast<int>(defaultValue)));
    }
    void Write(ProfileStore& profile, const wchar_t* name, const StoredSettings& s) const
    {
        profile.WriteInt(kSettingsSection, name, static_cast<int>(field.In(s)));
    }
};

struct Text {
    FieldOf<std::wstring> field;
    const wchar_t* defaultValue;

    void Read(const ProfileStore& profile, const wchar_t* name, StoredSettings& s) const
    {
        field.In(s) = profile.GetString(kSettingsSection, name, defaultValue);
    }
    void Write(ProfileStore& profile, const wchar_t* name, const StoredSettings& s) const
    {
        profile.WriteString(kSettingsSection, name, field.In(s));
    }
};

// A string value with a text form of its own.
struct Formatted {
    void (*parse)(const std::wstring& text, StoredSettings& s);
    std::wstring (*format)(const StoredSettings& s);
    const wchar_t* defaultValue;

    void Read(const ProfileStore& profile, const wchar_t* name, StoredSettings& s) const
    {
        parse(profile.GetString(kSettingsSection, name, defaultValue), s);
    }
    void Write(ProfileStore& profile, const wchar_t* name, const StoredSettings& s) const
    {
        profile.WriteString(kSettingsSection, name, format(s));
    }
};

enum class Saved { AtExit, Never };

struct SettingKey {
    const wchar_t* name;
    std::variant<Number<int>, Number<engine::VideoRendererKind>, Text, Formatted> value;
    Saved saved = Saved::AtExit;
};

// Every value, in the order they are read and written.
const SettingKey kSettingKeys[] = {
    {L"VideoRenderer",
     Number<engine::VideoRendererKind>{Own(&StoredSettings::videoRenderer), engine::VideoRendererKind::OverlayMixer}},
    {L"AudioInputType", Number<int>{Own(&StoredSettings::audioInput), 1}},
    {L"AudioMute", Number<int>{Own(&StoredSettings::audioMute), 0}},
    {L"VideoScale", Number<int>{Own(&StoredSettings::videoScale), 4}},
    {L"VideoAspectMode", Number<int>{Own(&StoredSettings::videoAspectMode), 3}},
    {L"Preview", Number<int>{Own(&StoredSettings::preview), 1}},
    // Only ever set by hand.
    {L"RegisterFilterGraph", Number<int>{Own(&StoredSettings::registerFilterGraph), 0}, Saved::Never},
    {L"ZelvanPath", Text{InBlock(&MainSettings::cardFolder), L""}},
    {L"SettingUtilFile", Text{InBlock(&MainSettings::cardConfigFile), L""}},
    {L"DefaultRecordPath", Text{InBlock(&MainSettings::defaultRecordPath), L""}},
    {L"ImageCapturePath", Text{InBlock(&MainSettings::imagePath), L""}},
    {L"RecordRule", Number<int>{InBlock(&MainSettings::recordRule), 0}},
    {L"UseSettingFile", Number<int>{InBlock(&MainSettings::useCardConfig), 0}},
    {L"UseSettingFileWait", Number<int>{InBlock(&MainSettings::cardConfigWait), 0}},
    {L"UseRecLog", Number<int>{InBlock(&MainSettings::useRecordingReport), 0}},
    {L"RecordNamePrefix", Text{InBlock(&MainSettings::recordNamePrefix), L""}},
    {L"RecordNameSerialNumber", Number<int>{InBlock(&MainSettings::recordSerialNumber), 0}},
    {L"RecordNameRule", Number<int>{InBlock(&MainSettings::recordNameRule), 1}},
    {L"RecordNameTimeFormat", Text{InBlock(&MainSettings::recordNameTimeFormat), L""}},
    {L"ImageNamePrefix", Text{InBlock(&MainSettings::imageNamePrefix), L""}},
    {L"ImageNameSerialNumber", Number<int>{InBlock(&MainSettings::imageSerialNumber), 0}},
    {L"ImageNameRule", Number<int>{InBlock(&MainSettings::imageNameRule), 1}},
    {L"ImageNameTimeFormat", Text{InBlock(&MainSettings::imageNameTimeFormat), L""}},
    {L"ImageCaptureAspectMode", Number<int>{InBlock(&MainSettings::imageAspectMode), 1}},
    {L"ImageCaptureCroppingMode", Number<int>{InBlock(&MainSettings::imageCroppingMode), 1}},
    {L"ImageCaptureScaleMode", Number<int>{InBlock(&MainSettings::imageScaleMode), 0}},
    {L"ImageCaptureScale",
     Formatted{[](const std::wstring& text, StoredSettings& s) { s.main.imageScale = ParseScale(text); },
               [](const StoredSettings& s) { return FormatScale(s.main.imageScale); }, L"100"}},
    {L"ImageCaptureFileFormat", Text{InBlock(&MainSettings::imageFileFormat), L"image/bmp"}},
    {L"ImageCaptureClipboard", Number<int>{InBlock(&MainSettings::imageToClipboard), 0}},
    {L"ImageCaptureColorConversion", Number<int>{InBlock(&MainSettings::imageColorConversion), 0}},
    {L"ImageCaptureCroppingRect",
     Formatted{[](const std::wstring& text, StoredSettings& s) { ParseCroppingRect(text, s.main.imageCroppingRect); },
               [](const StoredSettings& s) { return FormatCroppingRect(s.main.imageCroppingRect); }, L"0,0,1920,1080"}},
    {L"Topmost", Number<int>{Own(&StoredSettings::topmost), 0}},
    {L"WindowMode", Number<int>{Own(&StoredSettings::windowMode), 0}},
    {L"StressThread", Number<int>{Own(&StoredSettings::stressThread), 0}},
};

}  // namespace

void ReadSettings(const ProfileStore& profile, StoredSettings& settings)
{
    for (const SettingKey& key : kSettingKeys)
        std::visit([&](const auto& value) { value.Read(profile, key.name, settings); }, key.value);
}

void WriteSettings(ProfileStore& profile, const StoredSettings& settings)
{
    for (const SettingKey& key : kSettingKeys) {
        if (key.saved == Saved::AtExit)
            std::visit([&](const auto& value) { value.Write(profile, key.name, settings); }, key.value);
    }
}
