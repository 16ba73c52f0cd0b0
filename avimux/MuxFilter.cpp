#include "MuxFilter.h"

#include <cstring>
#include <iterator>
#include <new>

#include "FileNaming.h"
#include "MuxBaseFilter.h"
#include "MuxGuids.h"
#include "MuxInputPin.h"
#include "MuxSettingsStream.h"
#include "Utf8Path.h"

using trelvox::StreamKind;

namespace {

const CLSID* const kPages[] = {&CLSID_MuxCommonPage, &CLSID_MuxAvi1Page, &CLSID_MuxStatisticsPage,
                               &CLSID_MuxTimeShiftPage};

}  // namespace

CUnknown* WINAPI MuxFilter::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    HRESULT hr = S_OK;
    MuxFilter* filter = nullptr;
    try {
        filter = new MuxFilter(pUnk, &hr);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (filter && FAILED(hr)) {
        delete filter;
        filter = nullptr;
    }
    if (phr)
        *phr = hr;
    return filter;
}

MuxFilter::MuxFilter(LPUNKNOWN pUnk, HRESULT* phr) : CUnknown(L"Pelkor AVI Mux", pUnk, phr), CPersistStream(pUnk, phr)
{
    filter_.reset(new MuxBaseFilter(this, GetOwner(), &filterLock_, phr));
    timeShift_ = std::make_unique<TimeShiftControl>(*filter_, filterLock_);
    recorder_ = std::make_unique<trelvox::MuxRecorder>(fileSystem_, *filter_);
}

MuxFilter::~MuxFilter()
{
    if (position_)
        position_->NonDelegatingRelease();
    // The recording goes before the filter it reports to.
    recorder_.reset();
    filter_.reset();
}

STDMETHODIMP MuxFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    CheckPointer(ppv, E_POINTER);
    if (riid == IID_IMuxConfig)
        return GetInterface(static_cast<IMuxConfig*>(this), ppv);
    if (riid == IID_IMuxTimeShift)
        return GetInterface(static_cast<IMuxTimeShift*>(this), ppv);
    if (riid == IID_IFileSinkFilter2 || riid == IID_IFileSinkFilter)
        return GetInterface(static_cast<IFileSinkFilter2*>(this), ppv);
    if (riid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    if (riid == IID_IPersistStream || riid == IID_IPersist)
        return GetInterface(static_cast<IPersistStream*>(this), ppv);
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter)
        return filter_->NonDelegatingQueryInterface(riid, ppv);
    if (riid == IID_IMediaPosition || riid == IID_IMediaSeeking)
        return PositionInterface(riid, ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

// Made on the first request and kept. Its own lock: the graph may ask for it on a
// thread of its own while the filter lock is held by Stop.
HRESULT MuxFilter::PositionInterface(REFIID riid, void** ppv)
{
    CAutoLock lock(&positionLock_);
    if (!position_) {
        HRESULT hr = S_OK;
        auto* position = new (std::nothrow)
            CPosPassThru(L"Pelkor AVI Mux position", GetOwner(), &hr, filter_->InputPin(StreamKind::Video));
        if (!position)
            return E_OUTOFMEMORY;
        if (FAILED(hr)) {
            delete position;
            return hr;
        }
        position->NonDelegatingAddRef();
        position_ = position;
    }
    return position_->NonDelegatingQueryInterface(riid, ppv);
}

HRESULT MuxFilter::Utf8FileName(std::string* name) const
{
    name->clear();
    if (!hasFileName_)
        return S_OK;
    return trelvox::Utf8FromWide(fileName_, name);
}

HRESULT MuxFilter::PrepareRecording()
{
    trelvox::MuxRunSetup setup;
    setup.settings = settings_;
    setup.protect = protect_;
    if (!protect_) {
        const HRESULT hr = Utf8FileName(&setup.fileName);
        if (FAILED(hr))
            return hr;
    }
    trelvox::VideoFormat video;
    if (filter_->InputPin(StreamKind::Video)->ConnectedVideoFormat(&video))
        setup.inputs.video = video;
    trelvox::AudioFormat audio;
    if (filter_->InputPin(StreamKind::Audio)->ConnectedAudioFormat(&audio))
        setup.inputs.audio = audio;
    return recorder_->Prepare(setup);
}

void MuxFilter::EndRecording()
{
    recorder_->Stop();
    protect_ = true;
}

trelvox::MuxSettings MuxFilter::Settings()
{
    CAutoLock lock(&filterLock_);
    return settings_;
}

void MuxFilter::AbandonRecording()
{
    recorder_->Discard();
}

HRESULT MuxFilter::Receive(StreamKind stream, const trelvox::MuxSample& sample)
{
    return stream == StreamKind::Video ? recorder_->ReceiveVideo(sample) : recorder_->ReceiveAudio(sample);
}

void MuxFilter::EndOfStream(StreamKind stream)
{
    recorder_->EndOfStream(stream);
}

STDMETHODIMP MuxFilter::GetClassID(CLSID* pClsid)
{
    CheckPointer(pClsid, E_POINTER);
    *pClsid = CLSID_PelkorAviMux;
    return S_OK;
}

// The version field ahead of the block is CPersistStream's.
HRESULT MuxFilter::WriteToStream(IStream* pStream)
{
    CAutoLock lock(&filterLock_);
    return WriteMuxSettings(pStream, settings_);
}

HRESULT MuxFilter::ReadFromStream(IStream* pStream)
{
    trelvox::MuxSettings loaded;
    const HRESULT hr = ReadMuxSettings(pStream, &loaded);
    if (FAILED(hr))
        return hr;
    CAutoLock lock(&filterLock_);
    settings_ = loaded;
    return S_OK;
}

int MuxFilter::SizeMax()
{
    return static_cast<int>(trelvox::kMuxSettingsBytes);
}

STDMETHODIMP MuxFilter::GetPages(CAUUID* pPages)
{
    CheckPointer(pPages, E_POINTER);
    const ULONG count = static_cast<ULONG>(std::size(kPages));
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(count * sizeof(GUID)));
    if (!pPages->pElems) {
        pPages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    for (ULONG i = 0; i < count; ++i)
        pPages->pElems[i] = *kPages[i];
    pPages->cElems = count;
    return S_OK;
}

STDMETHODIMP MuxFilter::SetFileName(LPCOLESTR pszFileName, const AM_MEDIA_TYPE*)
{
    CheckPointer(pszFileName, E_POINTER);
    CAutoLock lock(&filterLock_);
    if (recorder_->IsPrepared())
        return VFW_E_FILTER_ACTIVE;
    const HRESULT hr = trelvox::CheckOutputNameLength(wcslen(pszFileName));
    if (FAILED(hr))
        return hr;
    fileName_ = pszFileName;
    hasFileName_ = true;
    return S_OK;
}

STDMETHODIMP MuxFilter::GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt)
{
    CheckPointer(ppszFileName, E_POINTER);
    CAutoLock lock(&filterLock_);
    *ppszFileName = nullptr;
    if (hasFileName_) {
        const size_t bytes = (fileName_.size() + 1) * sizeof(WCHAR);
        *ppszFileName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!*ppszFileName)
            return E_OUTOFMEMORY;
        std::memcpy(*ppszFileName, fileName_.c_str(), bytes);
    }
    if (pmt)
        std::memset(pmt, 0, sizeof *pmt);
    return S_OK;
}

STDMETHODIMP MuxFilter::SetMode(DWORD dwFlags)
{
    if (dwFlags != 0 && dwFlags != AM_FILE_OVERWRITE)
        return E_INVALIDARG;
    CAutoLock lock(&filterLock_);
    settings_.fileMode = dwFlags;
    SetDirty(TRUE);
    return S_OK;
}

STDMETHODIMP MuxFilter::GetMode(DWORD* pdwFlags)
{
    CheckPointer(pdwFlags, E_POINTER);
    CAutoLock lock(&filterLock_);
    *pdwFlags = settings_.fileMode;
    return S_OK;
}

std::optional<trelvox::FilledSample> MuxFilter::FillPlayback(StreamKind stream, trelvox::TimeShiftCursor& cursor,
                                                             REFERENCE_TIME now, BYTE* out, uint32_t capacity)
{
    return stream == StreamKind::Video ? recorder_->FillVideo(cursor, now, out, capacity)
                                       : recorder_->FillAudio(cursor, now, out, capacity);
}

STDMETHODIMP MuxFilter::Play(DWORD ratePercent)
{
    return timeShift_->Play(ratePercent);
}

STDMETHODIMP MuxFilter::Stop()
{
    return timeShift_->Stop();
}

STDMETHODIMP MuxFilter::Pause()
{
    return timeShift_->Pause();
}

STDMETHODIMP MuxFilter::Seek(DWORD seconds)
{
    return timeShift_->Seek(seconds);
}

STDMETHODIMP MuxFilter::GetPosition(DWORD* current, DWORD* total)
{
    return timeShift_->GetPosition(current, total);
}
