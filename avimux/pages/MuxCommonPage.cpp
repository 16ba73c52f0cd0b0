#include "MuxCommonPage.h"

#include "../../resources/trelvox/resource.h"
#include "PageControls.h"
#include "PageText.h"

using namespace trelvox;

MuxCommonPage::MuxCommonPage(LPUNKNOWN outer)
    : MuxSettingsPage(L"Mux common page", outer, IDD_MUX_COMMON, IDS_MUX_COMMON_TITLE)
{
}

HRESULT MuxCommonPage::ReadSettings()
{
    Values v;
    DWORD audioBuffers = 0;
    DWORD secondWriteCount = 0;
    const HRESULT results[] = {
        target_->GetBufferCounts(&v.videoBuffers, &audioBuffers),
        target_->GetDropThreshold(&v.dropThreshold),
        target_->GetWriteCounts(&v.writeCount, &secondWriteCount),
        target_->GetForcedAudioSync(&v.forcedAudioSync),
        target_->GetDriftPrevention(&v.driftPrevention),
        target_->GetDriftThreshold(&v.driftThreshold),
        target_->GetDriftSensitivity(&v.driftSensitivity),
        target_->GetDriftStartTime(&v.driftStartTime),
        target_->GetTimeProperty(&v.timePropertyVideo, &v.timePropertyAudio),
        target_->GetDelayProcessing(&v.delayVideo, &v.delayAudio),
        target_->GetMuxMode(&v.muxMode),
        target_->GetProtect(&v.protect),
    };
    for (HRESULT hr : results) {
        if (FAILED(hr))
            return hr;
    }
    values_ = v;
    return S_OK;
}

void MuxCommonPage::FillControls()
{
    const Values& v = values_;
    SetItemText(m_hwnd, IDC_VIDEO_BUFFER_COUNT, FormatUnsigned(v.videoBuffers));
    SetItemText(m_hwnd, IDC_DROP_THRESHOLD, FormatReal(v.dropThreshold));
    SetItemText(m_hwnd, IDC_WRITE_COUNT, FormatUnsigned(v.writeCount));
    SetItemChecked(m_hwnd, IDC_FORCED_AUDIO_SYNC, v.forcedAudioSync);
    SetItemChecked(m_hwnd, IDC_DRIFT_ENABLED, v.driftPrevention);
    SetItemText(m_hwnd, IDC_DRIFT_THRESHOLD, FormatReal(v.driftThreshold));
    SetItemText(m_hwnd, IDC_DRIFT_SENSITIVITY, FormatUnsigned(v.driftSensitivity));
    SetItemText(m_hwnd, IDC_DRIFT_START_TIME, FormatUnsigned(MillisecondsFromTime(v.driftStartTime)));
    FillList(m_hwnd, IDC_TIME_PROPERTY_VIDEO, IDS_TIME_PROPERTY_FIRST, 3);
    FillList(m_hwnd, IDC_TIME_PROPERTY_AUDIO, IDS_TIME_PROPERTY_FIRST, 3);
    FillList(m_hwnd, IDC_DELAY_VIDEO, IDS_VIDEO_DELAY_FIRST, 4);
    FillList(m_hwnd, IDC_DELAY_AUDIO, IDS_AUDIO_DELAY_FIRST, 3);
    FillList(m_hwnd, IDC_MUX_MODE, IDS_MUX_MODE_FIRST, 2);
    SelectListItem(m_hwnd, IDC_TIME_PROPERTY_VIDEO, v.timePropertyVideo);
    SelectListItem(m_hwnd, IDC_TIME_PROPERTY_AUDIO, v.timePropertyAudio);
    SelectListItem(m_hwnd, IDC_DELAY_VIDEO, v.delayVideo);
    SelectListItem(m_hwnd, IDC_DELAY_AUDIO, v.delayAudio);
    SelectListItem(m_hwnd, IDC_MUX_MODE, v.muxMode);
    SetItemChecked(m_hwnd, IDC_PROTECT, v.protect);
}

// A number box that holds no valid number keeps the value it had.
void MuxCommonPage::ReadControls()
{
    Values& v = values_;
    v.videoBuffers = ParseUnsigned(ItemText(m_hwnd, IDC_VIDEO_BUFFER_COUNT)).value_or(v.videoBuffers);
    v.dropThreshold = ParseReal(ItemText(m_hwnd, IDC_DROP_THRESHOLD));
    v.writeCount = ParseUnsigned(ItemText(m_hwnd, IDC_WRITE_COUNT)).value_or(v.writeCount);
    v.forcedAudioSync = IsItemChecked(m_hwnd, IDC_FORCED_AUDIO_SYNC);
    v.driftPrevention = IsItemChecked(m_hwnd, IDC_DRIFT_ENABLED);
    v.driftThreshold = ParseReal(ItemText(m_hwnd, IDC_DRIFT_THRESHOLD));
    v.driftSensitivity = ParseUnsigned(ItemText(m_hwnd, IDC_DRIFT_SENSITIVITY)).value_or(v.driftSensitivity);
    if (const auto ms = ParseUnsigned(ItemText(m_hwnd, IDC_DRIFT_START_TIME)))
        v.driftStartTime = TimeFromMilliseconds(*ms);
    v.timePropertyVideo = SelectedListItem(m_hwnd, IDC_TIME_PROPERTY_VIDEO, v.timePropertyVideo);
    v.timePropertyAudio = SelectedListItem(m_hwnd, IDC_TIME_PROPERTY_AUDIO, v.timePropertyAudio);
    v.delayVideo = SelectedListItem(m_hwnd, IDC_DELAY_VIDEO, v.delayVideo);
    v.delayAudio = SelectedListItem(m_hwnd, IDC_DELAY_AUDIO, v.delayAudio);
    v.muxMode = SelectedListItem(m_hwnd, IDC_MUX_MODE, v.muxMode);
    v.protect = IsItemChecked(m_hwnd, IDC_PROTECT);
}

// The audio buffer count and the second write count are not on the page: they are
// written back as they stand now.
HRESULT MuxCommonPage::WriteSettings()
{
    const Values& v = values_;
    DWORD unusedVideo = 0;
    DWORD audioBuffers = 0;
    HRESULT hr = target_->GetBufferCounts(&unusedVideo, &audioBuffers);
    if (SUCCEEDED(hr))
        hr = target_->SetBufferCounts(v.videoBuffers, audioBuffers);
    if (SUCCEEDED(hr))
        hr = target_->SetDropThreshold(v.dropThreshold);
    DWORD unusedFirst = 0;
    DWORD secondWriteCount = 0;
    if (SUCCEEDED(hr))
        hr = target_->GetWriteCounts(&unusedFirst, &secondWriteCount);
    if (SUCCEEDED(hr))
        hr = target_->SetWriteCounts(v.writeCount, secondWriteCount);
    if (SUCCEEDED(hr))
        hr = target_->SetForcedAudioSync(v.forcedAudioSync);
    if (SUCCEEDED(hr))
        hr = target_->SetDriftPrevention(v.driftPrevention);
    if (SUCCEEDED(hr))
        hr = target_->SetDriftThreshold(v.driftThreshold);
    if (SUCCEEDED(hr))
        hr = target_->SetDriftSensitivity(v.driftSensitivity);
    if (SUCCEEDED(hr))
        hr = target_->SetDriftStartTime(v.driftStartTime);
    if (SUCCEEDED(hr))
        hr = target_->SetTimeProperty(v.timePropertyVideo, v.timePropertyAudio);
    if (SUCCEEDED(hr))
        hr = target_->SetDelayProcessing(v.delayVideo, v.delayAudio);
    if (SUCCEEDED(hr))
        hr = target_->SetMuxMode(v.muxMode);
    if (SUCCEEDED(hr))
        hr = target_->SetProtect(v.protect);
    return hr;
}
