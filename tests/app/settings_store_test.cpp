// The "Settings" values: defaults on a first start, every value back after a save,
// and what damaged values turn into.
#include "SettingsStore.h"
#include "MemoryProfile.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>
#include <vector>

namespace {

StoredSettings Read(const MemoryProfile& profile)
{
    StoredSettings settings;
    settings.main = MainSettings{};
    ReadSettings(profile, settings);
    return settings;
}

TEST(SettingsStore, AnEmptyProfileGivesTheDefaults)
{
    const StoredSettings s = Read(MemoryProfile{});
    EXPECT_EQ(engine::VideoRendererKind::OverlayMixer, s.videoRenderer);
    EXPECT_EQ(1, s.audioInput) << "S/PDIF";
    EXPECT_EQ(0, s.audioMute);
    EXPECT_EQ(4, s.videoScale) << "100 %";
    EXPECT_EQ(3, s.videoAspectMode) << "16:9";
    EXPECT_EQ(1, s.preview);
    EXPECT_EQ(0, s.registerFilterGraph);
    EXPECT_EQ(0, s.topmost);
    EXPECT_EQ(0, s.windowMode);
    EXPECT_EQ(0, s.stressThread);

    const MainSettings& m = s.main;
    for (const std::wstring* text :
         {&m.cardFolder, &m.cardConfigFile, &m.defaultRecordPath, &m.imagePath, &m.recordNamePrefix,
          &m.recordNameTimeFormat, &m.imageNamePrefix, &m.imageNameTimeFormat})
        EXPECT_EQ(L"", *text);
    EXPECT_EQ(0, m.recordRule) << "save dialog";
    EXPECT_EQ(0, m.useCardConfig);
    EXPECT_EQ(0, m.cardConfigWait);
    EXPECT_EQ(0, m.useRecordingReport);
    EXPECT_EQ(0, m.recordSerialNumber);
    EXPECT_EQ(1, m.recordNameRule) << "time only";
    EXPECT_EQ(0, m.imageSerialNumber);
    EXPECT_EQ(1, m.imageNameRule) << "time only";
    EXPECT_EQ(1, m.imageAspectMode);
    EXPECT_EQ(1, m.imageCroppingMode);
    EXPECT_EQ(0, m.imageScaleMode);
    EXPECT_EQ(100.0, m.imageScale);
    EXPECT_EQ(L"image/bmp", m.imageFileFormat);
    EXPECT_EQ(0, m.imageToClipboard);
    EXPECT_EQ(0, m.imageColorConversion);
    EXPECT_EQ(0, m.imageCroppingRect.left);
    EXPECT_EQ(0, m.imageCroppingRect.top);
    EXPECT_EQ(1920, m.imageCroppingRect.right);
    EXPECT_EQ(1080, m.imageCroppingRect.bottom);
}

StoredSettings Unusual()
{
    StoredSettings s;
    s.videoRenderer = engine::VideoRendererKind::Vmr9;
    s.audioInput = 2;
    s.audioMute = 1;
    s.videoScale = 6;
    s.videoAspectMode = 5;
    s.preview = 0;
    s.topmost = 1;
    s.windowMode = 1;
    s.stressThread = 1;
    MainSettings& m = s.main;
    m.cardFolder = L"C:\\Zelvan";
    m.cardConfigFile = L"C:\\Zelvan\\カード.cfg";
    m.defaultRecordPath = L"D:\\録画";
    m.imagePath = std::wstring(40000, L'画');
    m.recordNamePrefix = L"rec_";
    m.recordSerialNumber = -7;
    m.recordNameRule = 7;
    m.recordNameTimeFormat = L"%H%M";
    m.imageNamePrefix = L"img_";
    m.imageSerialNumber = 2147483647;
    m.imageNameRule = 6;
    m.imageNameTimeFormat = L"%Y";
    m.recordRule = 1;
    m.useCardConfig = 1;
    m.cardConfigWait = 1000;
    m.useRecordingReport = 1;
    m.imageAspectMode = 3;
    m.imageCroppingMode = 2;
    m.imageCroppingRect = {-5, 10, 700, 480};
    m.imageScale = 37.5;
    m.imageScaleMode = 1;
    m.imageFileFormat = L"image/png";
    m.imageColorConversion = 2;
    m.imageToClipboard = 1;
    return s;
}

TEST(SettingsStore, EveryValueComesBackAsItWasSaved)
{
    MemoryProfile profile;
    const StoredSettings saved = Unusual();
    WriteSettings(profile, saved);
    const StoredSettings s = Read(profile);

    EXPECT_EQ(saved.videoRenderer, s.videoRenderer);
    EXPECT_EQ(saved.audioInput, s.audioInput);
    EXPECT_EQ(saved.audioMute, s.audioMute);
    EXPECT_EQ(saved.videoScale, s.videoScale);
    EXPECT_EQ(saved.videoAspectMode, s.videoAspectMode);
    EXPECT_EQ(saved.preview, s.preview);
    EXPECT_EQ(saved.topmost, s.topmost);
    EXPECT_EQ(saved.windowMode, s.windowMode);
    EXPECT_EQ(saved.stressThread, s.stressThread);
    const MainSettings &a = saved.main, &b = s.main;
    EXPECT_EQ(a.cardFolder, b.cardFolder);
    EXPECT_EQ(a.cardConfigFile, b.cardConfigFile);
    EXPECT_EQ(a.defaultRecordPath, b.defaultRecordPath);
    EXPECT_EQ(a.imagePath, b.imagePath);
    EXPECT_EQ(a.recordNamePrefix, b.recordNamePrefix);
    EXPECT_EQ(a.recordSerialNumber, b.recordSerialNumber);
    EXPECT_EQ(a.recordNameRule, b.recordNameRule);
    EXPECT_EQ(a.recordNameTimeFormat, b.recordNameTimeFormat);
    EXPECT_EQ(a.imageNamePrefix, b.imageNamePrefix);
    EXPECT_EQ(a.imageSerialNumber, b.imageSerialNumber);
    EXPECT_EQ(a.imageNameRule, b.imageNameRule);
    EXPECT_EQ(a.imageNameTimeFormat, b.imageNameTimeFormat);
    EXPECT_EQ(a.recordRule, b.recordRule);
    EXPECT_EQ(a.useCardConfig, b.useCardConfig);
    EXPECT_EQ(a.cardConfigWait, b.cardConfigWait);
    EXPECT_EQ(a.useRecordingReport, b.useRecordingReport);
    EXPECT_EQ(a.imageAspectMode, b.imageAspectMode);
    EXPECT_EQ(a.imageCroppingMode, b.imageCroppingMode);
    EXPECT_EQ(a.imageCroppingRect.left, b.imageCroppingRect.left);
    EXPECT_EQ(a.imageCroppingRect.top, b.imageCroppingRect.top);
    EXPECT_EQ(a.imageCroppingRect.right, b.imageCroppingRect.right);
    EXPECT_EQ(a.imageCroppingRect.bottom, b.imageCroppingRect.bottom);
    EXPECT_EQ(a.imageScale, b.imageScale);
    EXPECT_EQ(a.imageScaleMode, b.imageScaleMode);
    EXPECT_EQ(a.imageFileFormat, b.imageFileFormat);
    EXPECT_EQ(a.imageColorConversion, b.imageColorConversion);
    EXPECT_EQ(a.imageToClipboard, b.imageToClipboard);

    EXPECT_EQ(L"37.500000", std::get<std::wstring>(profile[L"ImageCaptureScale"]));
    EXPECT_EQ(L"-5,10,700,480", std::get<std::wstring>(profile[L"ImageCaptureCroppingRect"]));
}

TEST(SettingsStore, TheSaveWritesEveryValueOnceButNeverRegisterFilterGraph)
{
    MemoryProfile profile;
    StoredSettings s = Unusual();
    s.registerFilterGraph = 1;
    WriteSettings(profile, s);
    const std::vector<std::wstring> expected = {L"VideoRenderer",
                                                L"AudioInputType",
                                                L"AudioMute",
                                                L"VideoScale",
                                                L"VideoAspectMode",
                                                L"Preview",
                                                L"ZelvanPath",
                                                L"SettingUtilFile",
                                                L"DefaultRecordPath",
                                                L"ImageCapturePath",
                                                L"RecordRule",
                                                L"UseSettingFile",
                                                L"UseSettingFileWait",
                                                L"UseRecLog",
                                                L"RecordNamePrefix",
                                                L"RecordNameSerialNumber",
                                                L"RecordNameRule",
                                                L"RecordNameTimeFormat",
                                                L"ImageNamePrefix",
                                                L"ImageNameSerialNumber",
                                                L"ImageNameRule",
                                                L"ImageNameTimeFormat",
                                                L"ImageCaptureAspectMode",
                                                L"ImageCaptureCroppingMode",
                                                L"ImageCaptureScaleMode",
                                                L"ImageCaptureScale",
                                                L"ImageCaptureFileFormat",
                                                L"ImageCaptureClipboard",
                                                L"ImageCaptureColorConversion",
                                                L"ImageCaptureCroppingRect",
                                                L"Topmost",
                                                L"WindowMode",
                                                L"StressThread"};
    EXPECT_EQ(expected, profile.written);

    // Set by hand, it is read...
    MemoryProfile byHand;
    byHand[L"RegisterFilterGraph"] = 1;
    EXPECT_EQ(1, Read(byHand).registerFilterGraph);
}

TEST(SettingsStore, DamagedValuesGiveTheirDefaultsOrTheirParsedPart)
{
    MemoryProfile profile;
    profile[L"VideoRenderer"] = std::wstring(L"2");  // a string where a number belongs
    profile[L"RecordNamePrefix"] = 5;                // and a number where a string belongs
    profile[L"ImageCaptureScale"] = std::wstring(L"abc");
    profile[L"ImageCaptureCroppingRect"] = std::wstring(L"10,20");
    profile[L"ImageCaptureFileFormat"] = 1;
    profile[L"ZelvanPath"] = std::wstring(100000, L'z');
    const StoredSettings s = Read(profile);
    EXPECT_EQ(engine::VideoRendererKind::OverlayMixer, s.videoRenderer);
    EXPECT_EQ(L"", s.main.recordNamePrefix);
    EXPECT_EQ(0.0, s.main.imageScale);
    EXPECT_EQ(10, s.main.imageCroppingRect.left);
    EXPECT_EQ(20, s.main.imageCroppingRect.top);
    EXPECT_EQ(0, s.main.imageCroppingRect.right);
    EXPECT_EQ(0, s.main.imageCroppingRect.bottom);
    EXPECT_EQ(L"image/bmp", s.main.imageFileFormat);
    EXPECT_EQ(100000u, s.main.cardFolder.size());

    MemoryProfile saved;
    WriteSettings(saved, s);
    EXPECT_EQ(L"0.000000", std::get<std::wstring>(saved[L"ImageCaptureScale"]));
    EXPECT_EQ(L"10,20,0,0", std::get<std::wstring>(saved[L"ImageCaptureCroppingRect"]));
    EXPECT_EQ(1, std::get<int>(saved[L"VideoRenderer"]));
}

TEST(SettingsStore, TheProfilePathsAreNotSettings)
{
    StoredSettings s;
    s.main.recordProfile = {L"C:\\Data\\", L"CurrentRecord.dat"};
    ReadSettings(MemoryProfile{}, s);
    EXPECT_EQ(L"C:\\Data\\CurrentRecord.dat", s.main.recordProfile.Full());
}

}  // namespace
