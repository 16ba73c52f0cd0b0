// The main window's block of settings, copied whole into the settings sheet and back.
#pragma once

#include "SettingsFormats.h"

#include <string>

struct ProfilePath {
    std::wstring folder;
    std::wstring fileName;

    std::wstring Full() const { return folder + fileName; }
};

struct MainSettings {
    int firstPage = 0;

    std::wstring cardFolder;         // "ZelvanPath"
    std::wstring defaultRecordPath;  // "DefaultRecordPath"
    std::wstring cardConfigFile;     // "SettingUtilFile"
    std::wstring imagePath;          // "ImageCapturePath"
    std::wstring recordNamePrefix;   // "RecordNamePrefix"

    int recordSerialNumber = 0;  // "RecordNameSerialNumber"
    int recordNameRule = 0;      // "RecordNameRule"

    std::wstring recordNameTimeFormat;  // "RecordNameTimeFormat"
    std::wstring imageNamePrefix;       // "ImageNamePrefix"

    int imageNameRule = 0;  // "ImageNameRule"

    std::wstring imageNameTimeFormat;  // "ImageNameTimeFormat"

    int imageSerialNumber = 0;   // "ImageNameSerialNumber"
    int unused = 0;              // carried along, no stored value
    int recordRule = 0;          // "RecordRule"
    int useCardConfig = 0;       // "UseSettingFile"
    int cardConfigWait = 0;      // "UseSettingFileWait", milliseconds
    int useRecordingReport = 0;  // "UseRecLog"

    ProfilePath deviceProfile;
    ProfilePath recordProfile;
    ProfilePath previewProfile;

    int imageAspectMode = 0;     // "ImageCaptureAspectMode"
    int imageCroppingMode = 0;   // "ImageCaptureCroppingMode"
    CropRect imageCroppingRect;  // "ImageCaptureCroppingRect"

    double imageScale = 0.0;  // "ImageCaptureScale", per cent
    int imageScaleMode = 0;   // "ImageCaptureScaleMode"

    std::wstring imageFileFormat;  // "ImageCaptureFileFormat", an encoder's MIME type

    int imageColorConversion = 0;  // "ImageCaptureColorConversion"
    int imageToClipboard = 0;      // "ImageCaptureClipboard"
};
