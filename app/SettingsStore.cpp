#include "SettingsStore.h"

#include "../framework/ProfileStore.h"
#include "SettingsFormats.h"

namespace {

constexpr wchar_t kDefaultCroppingRect[] = L"0,0,1920,1080";

}  // namespace

void ReadSettings(const ProfileStore& profile, StoredSettings& s)
{
    auto readInt = [&](const wchar_t* entry, int defaultValue) {
        return profile.GetInt(kSettingsSection, entry, defaultValue);
    };
    auto readString = [&](const wchar_t* entry, const wchar_t* defaultValue = L"") {
        return profile.GetString(kSettingsSection, entry, defaultValue);
    };
    MainSettings& m = s.main;

    s.videoRenderer = static_cast<engine::VideoRendererKind>(readInt(L"VideoRenderer", 1));
    s.audioInput = readInt(L"AudioInputType", 1);
    s.audioMute = readInt(L"AudioMute", 0);
    s.videoScale = readInt(L"VideoScale", 4);
    s.videoAspectMode = readInt(L"VideoAspectMode", 3);
    s.preview = readInt(L"Preview", 1);
    s.registerFilterGraph = readInt(L"RegisterFilterGraph", 0);
    m.cardFolder = readString(L"ZelvanPath");
    m.cardConfigFile = readString(L"SettingUtilFile");
    m.defaultRecordPath = readString(L"DefaultRecordPath");
    m.imagePath = readString(L"ImageCapturePath");
    m.recordRule = readInt(L"RecordRule", 0);
    m.useCardConfig = readInt(L"UseSettingFile", 0);
    m.cardConfigWait = readInt(L"UseSettingFileWait", 0);
    m.useRecordingReport = readInt(L"UseRecLog", 0);
    m.recordNamePrefix = readString(L"RecordNamePrefix");
    m.recordSerialNumber = readInt(L"RecordNameSerialNumber", 0);
    m.recordNameRule = readInt(L"RecordNameRule", 1);
    m.recordNameTimeFormat = readString(L"RecordNameTimeFormat");
    m.imageNamePrefix = readString(L"ImageNamePrefix");
    m.imageSerialNumber = readInt(L"ImageNameSerialNumber", 0);
    m.imageNameRule = readInt(L"ImageNameRule", 1);
    m.imageNameTimeFormat = readString(L"ImageNameTimeFormat");
    m.imageAspectMode = readInt(L"ImageCaptureAspectMode", 1);
    m.imageCroppingMode = readInt(L"ImageCaptureCroppingMode", 1);
    m.imageScaleMode = readInt(L"ImageCaptureScaleMode", 0);
    m.imageScale = ParseScale(readString(L"ImageCaptureScale", L"100"));
    m.imageFileFormat = readString(L"ImageCaptureFileFormat", L"image/bmp");
    m.imageToClipboard = readInt(L"ImageCaptureClipboard", 0);
    m.imageColorConversion = readInt(L"ImageCaptureColorConversion", 0);
    ParseCroppingRect(readString(L"ImageCaptureCroppingRect", kDefaultCroppingRect), m.imageCroppingRect);
    s.topmost = readInt(L"Topmost", 0);
    s.windowMode = readInt(L"WindowMode", 0);
    s.stressThread = readInt(L"StressThread", 0);
}

void WriteSettings(ProfileStore& profile, const StoredSettings& s)
{
    auto writeInt = [&](const wchar_t* entry, int value) { profile.WriteInt(kSettingsSection, entry, value); };
    auto writeString = [&](const wchar_t* entry, const std::wstring& value) {
        profile.WriteString(kSettingsSection, entry, value);
    };
    const MainSettings& m = s.main;

    writeInt(L"VideoRenderer", static_cast<int>(s.videoRenderer));
    writeInt(L"AudioInputType", s.audioInput);
    writeInt(L"AudioMute", s.audioMute);
    writeInt(L"VideoScale", s.videoScale);
    writeInt(L"VideoAspectMode", s.videoAspectMode);
    writeInt(L"Preview", s.preview);
    writeString(L"ZelvanPath", m.cardFolder);
    writeString(L"SettingUtilFile", m.cardConfigFile);
    writeString(L"DefaultRecordPath", m.defaultRecordPath);
    writeString(L"ImageCapturePath", m.imagePath);
    writeInt(L"RecordRule", m.recordRule);
    writeInt(L"UseSettingFile", m.useCardConfig);
    writeInt(L"UseSettingFileWait", m.cardConfigWait);
    writeInt(L"UseRecLog", m.useRecordingReport);
    writeString(L"RecordNamePrefix", m.recordNamePrefix);
    writeInt(L"RecordNameSerialNumber", m.recordSerialNumber);
    writeInt(L"RecordNameRule", m.recordNameRule);
    writeString(L"RecordNameTimeFormat", m.recordNameTimeFormat);
    writeString(L"ImageNamePrefix", m.imageNamePrefix);
    writeInt(L"ImageNameSerialNumber", m.imageSerialNumber);
    writeInt(L"ImageNameRule", m.imageNameRule);
    writeString(L"ImageNameTimeFormat", m.imageNameTimeFormat);
    writeInt(L"ImageCaptureAspectMode", m.imageAspectMode);
    writeInt(L"ImageCaptureCroppingMode", m.imageCroppingMode);
    writeInt(L"ImageCaptureScaleMode", m.imageScaleMode);
    writeString(L"ImageCaptureScale", FormatScale(m.imageScale));
    writeString(L"ImageCaptureFileFormat", m.imageFileFormat);
    writeInt(L"ImageCaptureClipboard", m.imageToClipboard);
    writeInt(L"ImageCaptureColorConversion", m.imageColorConversion);
    writeString(L"ImageCaptureCroppingRect", FormatCroppingRect(m.imageCroppingRect));
    writeInt(L"Topmost", s.topmost);
    writeInt(L"WindowMode", s.windowMode);
    writeInt(L"StressThread", s.stressThread);
}
