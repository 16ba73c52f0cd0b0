#include "MuxStatisticsPage.h"

#include "../../resources/trelvox/resource.h"
#include "PageControls.h"
#include "PageText.h"

using namespace trelvox;

MuxStatisticsPage::MuxStatisticsPage(LPUNKNOWN outer)
    : MuxPropertyPage(L"Mux statistics page", outer, IDD_MUX_STATISTICS, IDS_MUX_STATISTICS_TITLE)
{
}

void MuxStatisticsPage::FillControls()
{
    DWORD videoFrames = 0, audioBuffers = 0, droppedFrames = 0, audioBlocks = 0;
    DWORD inserted = 0, deleted = 0;
    double frameRate = 0, audioFrequency = 0;
    target_->GetCounts(&videoFrames, &audioBuffers, &droppedFrames, &audioBlocks);
    target_->GetDriftCounts(&inserted, &deleted);
    target_->GetRates(&frameRate, &audioFrequency);
    SetItemText(m_hwnd, IDC_STAT_VIDEO_FRAMES, FormatUnsigned(videoFrames));
    SetItemText(m_hwnd, IDC_STAT_DROPPED_FRAMES, FormatUnsigned(droppedFrames));
    SetItemText(m_hwnd, IDC_STAT_AUDIO_BUFFERS, FormatUnsigned(audioBuffers));
    SetItemText(m_hwnd, IDC_STAT_AUDIO_BLOCKS, FormatUnsigned(audioBlocks));
    SetItemText(m_hwnd, IDC_STAT_INSERTED_FRAMES, FormatUnsigned(inserted));
    SetItemText(m_hwnd, IDC_STAT_DELETED_FRAMES, FormatUnsigned(deleted));
    SetItemText(m_hwnd, IDC_STAT_VIDEO_RATE, FormatReal(frameRate));
    SetItemText(m_hwnd, IDC_STAT_AUDIO_FREQUENCY, FormatReal(audioFrequency));
}
