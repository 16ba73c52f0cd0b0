// Tavrik's main window: menu, toolbar, status bar, information bar and the video
// view; it owns the capture engine and the settings. Its commands live in files of
// their own by area: MainFrmPreview.cpp, MainFrmRecord.cpp, MainFrmSettings.cpp,
// MainFrmSettingsSheet.cpp, MainFrmStill.cpp, MainFrmTools.cpp, MainFrmWindow.cpp.
#pragma once

#include "../engine/CaptureGraph.h"
#include "../framework/FrameWnd.h"
#include "../framework/StatusBar.h"
#include "../framework/ToolBar.h"
#include "../view/ChildView.h"
#include "../view/InformationBar.h"
#include "MainSettings.h"
#include "SignalDetectionWait.h"
#include "core/RecordingNote.h"

#include <memory>
#include <optional>
#include <string>

inline constexpr wchar_t kMainWindowClass[] = L"TavrikMainWnd";

class CMainFrame : public FwFrameWnd {
public:
    explicit CMainFrame(const std::wstring& dataFolder);
    ~CMainFrame() override;

    static std::wstring LongestProfileName() { return L"CurrentPreview.dat"; }

    bool PreTranslateMessage(MSG& message) override;
    // Runs the preview command when the "Preview" setting asks for it.
    void RunStartupPreview();

protected:
    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(CREATESTRUCTW& cs) override;
    void OnDestroy() override;
    void OnClose() override;
    bool OnQueryEndSession() override;
    LRESULT OnSetMessageString(WPARAM id, LPARAM text) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void RecalcLayout() override;
    bool OnCmdMsg(unsigned id, FwCmdUI* update) override;

private:
    void RegisterCommands();
    void OnTimer();
    bool OnAppCommand(unsigned command);
    // Windows ends the process after this without destroying the window.
    void OnEndSession();
    // A dialog, message box or property frame of Tavrik is open over the main window.
    bool ModalWindowOpen() const;
    void ToggleInformationBar();
    void ShowEngineFailure(const wchar_t* text, HRESULT hr);
    // Lets the status line show the engine's state.
    void PostStateText();

    // MainFrmPreview.cpp
    void RegisterPreviewCommands();
    void TogglePreview();
    // Builds and runs the preview for the detected input; false when the user was told why not.
    bool StartPreview();
    // A detection for a command: false when it failed (the user is told) or was cancelled.
    bool DetectSignalForCommand();
    // From the timer: a preview whose input changed is detected and started again.
    void FollowInputChange();
    void ChangeAudioInput(int input);
    void ChangeRenderer(engine::VideoRendererKind kind);

    // MainFrmRecord.cpp
    void RegisterRecordCommands();
    void StartRecording();
    // The recording's path and its report's; false when the user cancelled or was told why not.
    bool ChooseRecordTargets(std::wstring& recordPath, std::wstring& reportPath);
    void StopCommand();
    void FinishRecording();
    void WriteReportAndResumePreview();
    void FailRecording(const wchar_t* text, HRESULT hr);
    // Without a running preview nothing has followed the input since the last detection.
    bool InputNeedsDetection() const;
    // A recording the multiplexer ended (also while it was being stopped): the user is told why.
    void TellRecordingEnd();
    // After the graph's events: a recording the multiplexer ended is stopped as the
    // stop command does, then the user is told why.
    void OnGraphEvents();
    bool RecordProfileExists() const;

    // MainFrmRecordingNote.cpp
    void NoteRecordingInProgress(const std::wstring& reportPath);
    void ClearRecordingNote();
    enum class NameClash { None, NextName, Refused };
    // A recording to `recordPath` against the files of an interrupted recording not yet
    // repaired: an automatic name with a serial number moves on, the save dialog's
    // choice is confirmed by the user (who then forgets the old one), else refused.
    NameClash ClashWithInterruptedRecording(const std::wstring& recordPath);

    // MainFrmTools.cpp
    void RegisterToolCommands();
    // "\ZV_SetUtil.exe" or "\ZV_I2CUtil.exe" from the card's installation folder.
    void StartCompanionProgram(const wchar_t* program);
    // MainFrmStill.cpp
    void RegisterStillCommands();
    bool CanTakeStill();
    void TakeStill();
    // The still-image message: the stored frame pair becomes a file or a clipboard bitmap.
    void OnStillImageStored();

    // MainFrmSettings.cpp
    void LoadSettings();
    void SaveSettings();
    // "WindowState" and the bars' layout.
    void SaveWindowLayout();
    void HandEngineItsInputs();

    // MainFrmSettingsSheet.cpp
    void RegisterSettingsCommands();
    void RunSettingsCommand();

    // MainFrmWindow.cpp
    void RegisterWindowCommands();
    void StepScale(bool larger);
    void ApplyTopmost();
    void ToggleTopmost();
    void ToggleFrameOnlyMode();
    // At creation the window is not shown yet, so it need not be hidden meanwhile.
    void EnterFrameOnlyMode(bool hideWhileChanging);
    void LeaveFrameOnlyMode();
    void ShowBarsHiddenForFrameOnlyMode();
    // The menu taken off in frame-only mode goes with the window.
    void ReleaseDetachedMenu();
    void StoreWindowRect();
    // The view's client size the layout gives at the current window size.
    SIZE VideoAreaNow() const;
    LRESULT OnSizing(WPARAM edge, LPARAM lParam);
    // Sizing, moving and hit testing; nothing for other messages.
    std::optional<LRESULT> WindowModeMessage(UINT message, WPARAM wParam, LPARAM lParam);

    int savedStatusBarVisible = 0;
    int savedInformationBarVisible = 0;
    int savedToolBarVisible = 0;
    int topmost = 0;
    int windowMode = 0;
    FwStatusBar statusBar;
    FwToolBar toolBar;
    CInformationBar informationBar;
    CChildView view;
    std::unique_ptr<CCaptureGraph> engine;
    SignalDetectionWait detectionWait;
    RECT savedWindowRect{};
    MainSettings settings;
    int startPreview = 0;
    int registerFilterGraph = 0;  // handed to the engine with its setup
    int inSizing = 0;
    bool settingsLoaded = false;
    std::wstring notedMuxBase;  // of the recording in progress, when noted
};
