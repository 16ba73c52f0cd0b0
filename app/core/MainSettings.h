// The main window's block of settings, copied whole into the settings sheet and back;
// SettingsStore.cpp names the stored value of each.
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

    std::wstring cardFolder;
    std::wstring defaultRecordPath;
    std::wstring cardConfigFile;
    std::wstring imagePath;
    std::wstring recordNamePrefix;

    int recordSerialNumber = 0;
    int recordNameRule = 0;

    std::wstring recordNameTimeFormat;
    std::wstring imageNamePrefix;

    int imageNameRule = 0;

    std::wstring imageNameTimeFormat;

    int imageSerialNumber = 0;
    int unused = 0;  // carried along, no stored value
    int recordRule = 0;
    int useCardConfig = 0;
    int cardConfigWait = 0;  // milliseconds
    int useRecordingReport = 0;

    ProfilePath deviceProfile;
    ProfilePath recordProfile;
    ProfilePath previewProfile;

    int imageAspectMode = 0;
    int imageCroppingMode = 0;
    CropRect imageCroppingRect;

    double imageScale = 0.0;  // per cent
    int imageScaleMode = 0;

    std::wstring imageFileFormat;  // an encoder's MIME type

    int imageColorConversion = 0;
    int imageToClipboard = 0;
};
