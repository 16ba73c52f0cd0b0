// "Pelkor AVI Mux": the COM object the class factory makes. Holds the settings, the
// output name and the recording; the graph sees its MuxBaseFilter. The settings stream
// (MuxSettingsStream) and the time-shift control (TimeShiftControl) are their own.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "dshowbase/streams.h"
#include "IMuxConfig.h"
#include "IMuxTimeShift.h"
#include "MuxRecorder.h"
#include "MuxSettings.h"
#include "TimeShiftControl.h"
#include "TimeShiftCursor.h"
#include "Win32FileSystem.h"

class MuxBaseFilter;

class MuxFilter : public CUnknown,
                  public CPersistStream,
                  public ISpecifyPropertyPages,
                  public IFileSinkFilter2,
                  public IMuxConfig,
                  public IMuxTimeShift {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);
    ~MuxFilter() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // From MuxBaseFilter under the filter lock: Pause when stopped, and every Stop
    // (which finishes the files and sets protect).
    HRESULT PrepareRecording();
    void EndRecording();
    // A Pause that failed after the preparation: the files are closed, protect stays.
    void AbandonRecording();
    // The current settings (not the working copies of a recording).
    trelvox::MuxSettings Settings();
    // From the input pins.
    HRESULT Receive(trelvox::StreamKind stream, const trelvox::MuxSample& sample);
    void EndOfStream(trelvox::StreamKind stream);
    // From the time-shift pins: their threads' fill, and whether playback runs.
    std::optional<trelvox::FilledSample> FillPlayback(trelvox::StreamKind stream, trelvox::TimeShiftCursor& cursor,
                                                      REFERENCE_TIME now, BYTE* out, uint32_t capacity);
    bool IsPlaying() const { return timeShift_->IsPlaying(); }

    // IPersist, IPersistStream (the rest in CPersistStream)
    STDMETHODIMP GetClassID(CLSID* pClsid) override;
    HRESULT WriteToStream(IStream* pStream) override;
    HRESULT ReadFromStream(IStream* pStream) override;
    int SizeMax() override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pPages) override;

    // IFileSinkFilter2
    STDMETHODIMP SetFileName(LPCOLESTR pszFileName, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP SetMode(DWORD dwFlags) override;
    STDMETHODIMP GetMode(DWORD* pdwFlags) override;

    // IMuxConfig
    STDMETHODIMP SetMaxFiles(DWORD files) override;
    STDMETHODIMP GetMaxFiles(DWORD* files) override;
    STDMETHODIMP SetMaxFileSize(DWORD megabytes) override;
    STDMETHODIMP GetMaxFileSize(DWORD* megabytes) override;
    STDMETHODIMP SetBufferCounts(DWORD video, DWORD audio) override;
    STDMETHODIMP GetBufferCounts(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetSplitCounts(DWORD video, DWORD audio) override;
    STDMETHODIMP GetSplitCounts(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetDropThreshold(double threshold) override;
    STDMETHODIMP GetDropThreshold(double* threshold) override;
    STDMETHODIMP SetWriteCounts(DWORD video, DWORD second) override;
    STDMETHODIMP GetWriteCounts(DWORD* video, DWORD* second) override;
    STDMETHODIMP SetDriftPrevention(BOOL enabled) override;
    STDMETHODIMP GetDriftPrevention(BOOL* enabled) override;
    STDMETHODIMP SetDriftThreshold(double frames) override;
    STDMETHODIMP GetDriftThreshold(double* frames) override;
    STDMETHODIMP SetDriftSensitivity(DWORD count) override;
    STDMETHODIMP GetDriftSensitivity(DWORD* count) override;
    STDMETHODIMP SetDriftStartTime(LONGLONG time) override;
    STDMETHODIMP GetDriftStartTime(LONGLONG* time) override;
    STDMETHODIMP SetMuxMode(DWORD mode) override;
    STDMETHODIMP GetMuxMode(DWORD* mode) override;
    STDMETHODIMP SetSplitMode(DWORD mode) override;
    STDMETHODIMP GetSplitMode(DWORD* mode) override;
    STDMETHODIMP SetDelayProcessing(DWORD video, DWORD audio) override;
    STDMETHODIMP GetDelayProcessing(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetTimeProperty(DWORD video, DWORD audio) override;
    STDMETHODIMP GetTimeProperty(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetFirstFrameNotDropped(BOOL enabled) override;
    STDMETHODIMP GetFirstFrameNotDropped(BOOL* enabled) override;
    STDMETHODIMP SetForcedAudioSync(BOOL enabled) override;
    STDMETHODIMP GetForcedAudioSync(BOOL* enabled) override;
    STDMETHODIMP SetZeroFillJunk(BOOL enabled) override;
    STDMETHODIMP GetZeroFillJunk(BOOL* enabled) override;
    STDMETHODIMP SetRateMaster(DWORD master) override;
    STDMETHODIMP GetRateMaster(DWORD* master) override;
    STDMETHODIMP SetMeasureRates(DWORD video, DWORD audio) override;
    STDMETHODIMP GetMeasureRates(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetDiscardNegativeStart(DWORD video, DWORD audio) override;
    STDMETHODIMP GetDiscardNegativeStart(DWORD* video, DWORD* audio) override;
    STDMETHODIMP SetAudioRateOverride(DWORD rate, BOOL enabled) override;
    STDMETHODIMP GetAudioRateOverride(DWORD* rate, BOOL* enabled) override;
    STDMETHODIMP SetFrameDurationOverride(LONGLONG duration, BOOL enabled) override;
    STDMETHODIMP GetFrameDurationOverride(LONGLONG* duration, BOOL* enabled) override;
    STDMETHODIMP SetTimeShiftTypeOverrides(BOOL video, BOOL audio) override;
    STDMETHODIMP GetTimeShiftTypeOverrides(BOOL* video, BOOL* audio) override;
    STDMETHODIMP SetFourccOverride(DWORD fourcc) override;
    STDMETHODIMP GetFourccOverride(DWORD* fourcc) override;
    STDMETHODIMP RestoreDefaults() override;
    STDMETHODIMP GetDriftCounts(DWORD* inserted, DWORD* deleted) override;
    STDMETHODIMP GetCounts(DWORD* videoFrames, DWORD* audioBuffers, DWORD* droppedFrames, DWORD* audioBlocks) override;
    STDMETHODIMP GetRates(double* videoFrameRate, double* audioFrequency) override;
    STDMETHODIMP(CheckPointer)(void* pointer) override;
    STDMETHODIMP SetProtect(BOOL protect) override;
    STDMETHODIMP GetProtect(BOOL* protect) override;

    // IMuxTimeShift: each call flushes both "~" pins (GetPosition does not).
    STDMETHODIMP Play(DWORD ratePercent) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Seek(DWORD seconds) override;
    STDMETHODIMP GetPosition(DWORD* current, DWORD* total) override;

private:
    MuxFilter(LPUNKNOWN pUnk, HRESULT* phr);

    HRESULT PositionInterface(REFIID riid, void** ppv);
    // The name as the core takes it (UTF-8); empty when none was set.
    HRESULT Utf8FileName(std::string* name) const;
    // Runs a change of the settings under the filter lock and marks them dirty.
    template <class Change>
    HRESULT ChangeSettings(Change change);
    template <class Read>
    HRESULT ReadSettings(Read read);

    CCritSec filterLock_;
    CCritSec positionLock_;
    trelvox::MuxSettings settings_;
    std::wstring fileName_;
    bool hasFileName_ = false;
    bool protect_ = false;
    trelvox::Win32FileSystem fileSystem_;
    std::unique_ptr<MuxBaseFilter> filter_;
    std::unique_ptr<trelvox::MuxRecorder> recorder_;
    std::unique_ptr<TimeShiftControl> timeShift_;
    CPosPassThru* position_ = nullptr;
};
