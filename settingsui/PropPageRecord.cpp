#include "PropPageRecord.h"

#include "../framework/DialogItems.h"
#include "../resources/tavrik/resource.h"
#include "AudioFormatDlg.h"
#include "AudioFormatProbe.h"
#include "FailureMessage.h"
#include "PriorityCombo.h"
#include "dshowbase/PropertyFrame.h"
#include "core/AudioFormatDefaults.h"
#include "core/ChoiceLists.h"
#include "engine/AudioOutputFormat.h"
#include "engine/DeviceLists.h"
#include "profiles/CurrentProfiles.h"
#include "profiles/ProfileFile.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

std::wstring DescribeFormat(const WAVEFORMATEX& format)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&format);
    return DescribeAudioFormat(std::vector<std::uint8_t>(bytes, bytes + profiles::kWaveFormatBaseSize + format.cbSize));
}

ComPtr<IAMVfwCompressDialogs> CompressDialogsOf(IBaseFilter* filter)
{
    ComPtr<IAMVfwCompressDialogs> dialogs;
    if (filter)
        filter->QueryInterface(IID_IAMVfwCompressDialogs, reinterpret_cast<void**>(dialogs.GetAddressOf()));
    return dialogs;
}

bool QueryCompressDialog(IBaseFilter* filter, VfwCompressDialogs query)
{
    const ComPtr<IAMVfwCompressDialogs> dialogs = CompressDialogsOf(filter);
    return dialogs && dialogs->ShowDialog(query, nullptr) == S_OK;
}

}  // namespace

CPropPageRecord::CPropPageRecord()
    : FwPropertyPage(IDD_PAGE_RECORD),
      video_(IDC_REC_VIDEO_COMPRESSOR, NullVideoDisplayName()),
      audio_(IDC_REC_AUDIO_COMPRESSOR, NullAudioDisplayName()),
      mux_(IDC_REC_MUX, L"")
{
}

bool CPropPageRecord::OnInitDialog()
{
    FillLists();
    audio_.MakeNullCurrent();
    FillPriorityCombo(Handle());
    CheckItem(Handle(), IDC_REC_LOAD_THREAD, true);
    LoadProfile();
    return true;
}

void CPropPageRecord::FillLists()
{
    std::vector<FilterEntry> found;
    ListDevices(CLSID_VideoCompressorCategory, found);
    video_.Fill(Handle(), std::move(found));
    found.clear();
    ListDevices(CLSID_AudioCompressorCategory, found);
    audio_.Fill(Handle(), std::move(found));
    found.clear();
    ListMatchingFilters({MEDIATYPE_Stream, MEDIASUBTYPE_Avi, MEDIATYPE_Video, GUID_NULL}, {}, found);
    mux_.Fill(Handle(), std::move(found));
}

void CPropPageRecord::LoadProfile()
{
    ProfileFile file;
    if (FAILED(file.Open(profilePath))) {
        EnableButtons();
        return;
    }
    ForgetFilters();
    RecordOptions options;
    if (SUCCEEDED(file.ReadRecordOptions(options))) {
        CheckItem(Handle(), IDC_REC_LOAD_THREAD, options.loadThreadWhileRecording != 0);
        CheckItem(Handle(), IDC_REC_NO_PREVIEW, options.noPreviewWhileRecording != 0);
        CheckItem(Handle(), IDC_REC_SWAP_CHANNELS, options.swapAudioChannels != 0);
        SelectPriority(Handle(), options.priorityClass);
    }
    FilterEntry videoEntry, audioEntry, muxEntry;
    HRESULT hr = file.ReadFilter(FilterStream::VideoCompressor, videoEntry);
    if (SUCCEEDED(hr))
        video_.SetCurrent(std::move(videoEntry));
    if (SUCCEEDED(hr))
        hr = file.ReadFilter(FilterStream::AudioCompressor, audioEntry);
    if (SUCCEEDED(hr)) {
        audio_.SetCurrent(std::move(audioEntry));
        if (FAILED(file.ReadAudioFormatList(audioFormats_, DescribeFormat)) || audioFormats_.empty() ||
            !settingsui::ValidateAudioFormatList(audioFormats_))
            BuildDefaultAudioFormatList(audioFormats_, *audio_.Current());
        hr = file.ReadFilter(FilterStream::Mux, muxEntry);
    }
    if (SUCCEEDED(hr))
        mux_.SetCurrent(std::move(muxEntry));
    file.Close();
    if (FAILED(hr)) {
        ForgetFilters();
        for (FilterChoice* choice : {&video_, &audio_, &mux_})
            choice->ClearSelection();
        EnableButtons();
        return;
    }
    EnableButtons();
    for (FilterChoice* choice : {&video_, &audio_, &mux_})
        choice->SelectCurrentInCombo();
}

void CPropPageRecord::ForgetFilters()
{
    video_.Clear();
    audio_.Clear();
    mux_.Clear();
}

void CPropPageRecord::EnableButtons()
{
    EnableItem(Handle(), IDC_REC_VIDEO_CONFIG, QueryCompressDialog(video_.Filter(), VfwCompressDialog_QueryConfig));
    EnableItem(Handle(), IDC_REC_VIDEO_ABOUT, QueryCompressDialog(video_.Filter(), VfwCompressDialog_QueryAbout));
    EnableItem(Handle(), IDC_REC_VIDEO_PROPERTIES, HasPropertyPages(video_.Filter()));
    EnableItem(Handle(), IDC_REC_AUDIO_PROPERTIES, HasPropertyPages(audio_.Filter()));
    EnableItem(Handle(), IDC_REC_MUX_SETTINGS, HasPropertyPages(mux_.Filter()));
    EnableItem(Handle(), IDC_REC_AUDIO_CONFIG, audio_.Filter() != nullptr);
}

void CPropPageRecord::OnFilterSelected(FilterChoice& choice)
{
    choice.OnSelectionChange();
    if (&choice == &audio_) {
        if (const FilterEntry* current = audio_.Current())
            BuildDefaultAudioFormatList(audioFormats_, *current);
        else
            audioFormats_ = settingsui::DefaultAudioInputs();
    }
    EnableButtons();
}

void CPropPageRecord::ShowCompressDialog(VfwCompressDialogs dialog)
{
    if (const ComPtr<IAMVfwCompressDialogs> dialogs = CompressDialogsOf(video_.Filter()))
        dialogs->ShowDialog(dialog, Handle());
}

void CPropPageRecord::ConfigureAudioFormats()
{
    if (!audio_.Filter())
        return;
    CAudioFormatDlg dialog(*audio_.Current(), audioFormats_);
    if (dialog.DoModal(Handle()) == IDOK)
        audioFormats_ = dialog.Formats();
}

bool CPropPageRecord::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDC_REC_VIDEO_COMPRESSOR:
    case IDC_REC_AUDIO_COMPRESSOR:
    case IDC_REC_MUX:
        if (code != CBN_SELCHANGE)
            return false;
        OnFilterSelected(id == IDC_REC_VIDEO_COMPRESSOR ? video_ : id == IDC_REC_AUDIO_COMPRESSOR ? audio_ : mux_);
        return true;
    case IDC_REC_VIDEO_CONFIG:
        ShowCompressDialog(VfwCompressDialog_Config);
        return true;
    case IDC_REC_VIDEO_ABOUT:
        ShowCompressDialog(VfwCompressDialog_About);
        return true;
    case IDC_REC_VIDEO_PROPERTIES:
        ShowPropertyFrame(video_.Filter(), Handle());
        return true;
    case IDC_REC_AUDIO_CONFIG:
        ConfigureAudioFormats();
        return true;
    case IDC_REC_AUDIO_PROPERTIES:
        ShowPropertyFrame(audio_.Filter(), Handle());
        return true;
    case IDC_REC_MUX_SETTINGS:
        ShowPropertyFrame(mux_.Filter(), Handle());
        return true;
    default:
        return false;
    }
}

bool CPropPageRecord::OnKillActive()
{
    if (video_.Acceptable() && audio_.Acceptable() && mux_.Filter())
        return true;
    RefuseIncompleteFilters();
    return false;
}

void CPropPageRecord::OnOK()
{
    const FilterEntry* video = video_.Current();
    const FilterEntry* audio = audio_.Current();
    const FilterEntry* mux = mux_.Current();
    if (!video || !audio || !mux)
        return;
    RecordProfile profile;
    profile.options.noPreviewWhileRecording = IsItemChecked(Handle(), IDC_REC_NO_PREVIEW);
    profile.options.loadThreadWhileRecording = IsItemChecked(Handle(), IDC_REC_LOAD_THREAD);
    profile.options.swapAudioChannels = IsItemChecked(Handle(), IDC_REC_SWAP_CHANNELS);
    profile.options.priorityClass = SelectedPriority(Handle());
    profile.videoCompressor = *video;
    profile.audioCompressor = *audio;
    profile.audioFormats = audioFormats_;
    profile.mux = *mux;
    if (const HRESULT hr = WriteRecordProfile(profilePath, profile); FAILED(hr))
        ShowFailure(L"録画設定の保存に失敗しました。", hr);
}
