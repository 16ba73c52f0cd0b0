// The "Settings" values of the application's profile: read once at start-up,
// written once at exit, each in a fixed order.
#pragma once

#include "CardConfigWrites.h"
#include "MainSettings.h"
#include "VideoRendererKind.h"

#include <string>

class ProfileStore;

inline constexpr wchar_t kSettingsSection[] = L"Settings";
// Where the framework keeps the docking layout of the toolbar and the information bar.
inline constexpr wchar_t kBarStateSection[] = L"ToolBar\\State";

// Everything the settings hold: the main window's block, the main window's own
// fields and the values the capture engine keeps. Their defaults are those
// ReadSettings gives for missing values.
struct StoredSettings {
    // Engine
    engine::VideoRendererKind videoRenderer{};
    int audioInput = 0;
    int audioMute = 0;
    int videoScale = 0;
    int videoAspectMode = 0;
    // Main window
    int preview = 0;
    // Engine, read only
    int registerFilterGraph = 0;

    MainSettings main;

    // Main window
    int topmost = 0;
    int windowMode = 0;
    // Engine: the load thread
    int stressThread = 0;
};

struct IntRange {
    int min;
    int max;
};

// The card configuration wait in milliseconds, as the settings sheet bounds it.
inline constexpr IntRange kCardConfigWaitRange{0, engine::kMaxCardConfigWaitMs};

// Reads every value; missing or unreadable ones give their defaults. The profile
// paths of `main` are left as they are.
void ReadSettings(const ProfileStore& profile, StoredSettings& settings);

// Writes every value but the graph registration, which only a user sets by hand.
void WriteSettings(ProfileStore& profile, const StoredSettings& settings);
