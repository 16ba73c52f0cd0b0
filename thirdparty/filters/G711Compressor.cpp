#include "G711Compressor.h"

#include <algorithm>
#include <new>
#include <string>

#include "G711OutputPin.h"
#include "StandinFaults.h"
#include "StandinGuids.h"

namespace standin {
namespace {

constexpr DWORD kRateOf44k = 44100;
constexpr DWORD kPreferredRate = 48000;  // offered by the any-rate variant before it has an input

std::wstring ChannelText(int channels)
{
    return channels == 0 ? L"channels of the input" : channels == 1 ? L"1 channel" : L"2 channels";
}

}  // namespace

G711Compressor::G711Compressor(LPUNKNOWN outer, REFCLSID clsid, DWORD acceptedRate, HRESULT* phr)
    : CodecFilter(acceptedRate ? kG711Compressor44kName : kG711CompressorName, outer, clsid, phr),
      CPersistStream(outer, phr),
      acceptedRate_(acceptedRate)
{
    SetOutputPin(std::make_unique<G711OutputPin>(this, phr));
}

CUnknown* WINAPI G711Compressor::CreateFor44100(LPUNKNOWN outer, HRESULT* phr)
{
    auto* filter = new (std::nothrow) G711Compressor(outer, kClsidG711Compressor44k, kRateOf44k, phr);
    if (!filter)
        *phr = E_OUTOFMEMORY;
    return filter;
}

CUnknown* WINAPI G711Compressor::CreateForAnyRate(LPUNKNOWN outer, HRESULT* phr)
{
    auto* filter = new (std::nothrow) G711Compressor(outer, kClsidG711Compressor, 0, phr);
    if (!filter)
        *phr = E_OUTOFMEMORY;
    return filter;
}

STDMETHODIMP G711Compressor::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    CheckPointer(ppv, E_POINTER);
    if (riid == IID_IPersistStream)
        return GetInterface(static_cast<IPersistStream*>(this), ppv);
    if (riid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    if (riid == IID_IG711State)
        return GetInterface(static_cast<IG711State*>(this), ppv);
    return CodecFilter::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT G711Compressor::CheckInputType(const CMediaType& type)
{
    const WAVEFORMATEX* format = PcmInputFormat(type);
    return format && RateAccepted(format->nSamplesPerSec) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT G711Compressor::CheckOutputType(const CMediaType& input, const CMediaType& output)
{
    const WAVEFORMATEX* pcm = PcmInputFormat(input);
    G711Choice choice;
    DWORD rate = 0;
    if (!pcm || !ReadG711Type(output, choice, rate) || rate != pcm->nSamplesPerSec)
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (choiceSet_ &&
        !(choice.law == choice_.law && choice.channels == (choice_.channels ? choice_.channels : pcm->nChannels)))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

// Position 0 is the current choice; without a fixed choice every offer follows.
HRESULT G711Compressor::GetOutputType(const CMediaType& input, int position, CMediaType& output)
{
    const WAVEFORMATEX* pcm = PcmInputFormat(input);
    if (!pcm)
        return VFW_S_NO_MORE_ITEMS;
    if (position == 0)
        return MakeG711Type(choice_, pcm->nChannels, pcm->nSamplesPerSec, output);
    if (choiceSet_ || position > kG711OfferCount)
        return VFW_S_NO_MORE_ITEMS;
    return MakeG711Type(kG711Offers[position - 1], pcm->nChannels, pcm->nSamplesPerSec, output);
}

// At most one byte per 16-bit input sample, and at least a second of sound.
long G711Compressor::OutputBufferSize(const CMediaType& input, const CMediaType& output)
{
    G711Choice choice;
    DWORD rate = 0;
    if (!PcmInputFormat(input) || !ReadG711Type(output, choice, rate))
        return 0;
    long inputBuffer = 0;
    ALLOCATOR_PROPERTIES props{};
    if (Input()->Allocator() && SUCCEEDED(Input()->Allocator()->GetProperties(&props)))
        inputBuffer = props.cbBuffer;
    return std::max(inputBuffer, static_cast<long>(rate) * choice.channels);
}

HRESULT G711Compressor::Encode(IMediaSample* in, IMediaSample* out)
{
    const WAVEFORMATEX* pcm = PcmInputFormat(Input()->CurrentMediaType());
    G711Choice choice;
    DWORD rate = 0;
    if (!pcm || !ReadG711Type(Output()->CurrentMediaType(), choice, rate))
        return VFW_E_NOT_CONNECTED;
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    HRESULT hr = in->GetPointer(&source);
    if (SUCCEEDED(hr))
        hr = out->GetPointer(&target);
    if (FAILED(hr))
        return hr;
    const size_t frames = static_cast<size_t>(std::max(0L, in->GetActualDataLength())) / pcm->nBlockAlign;
    if (frames * choice.channels > static_cast<size_t>(out->GetSize()))
        return VFW_E_BUFFER_OVERFLOW;
    const size_t written = EncodeFrames(reinterpret_cast<const int16_t*>(source), frames, pcm->nChannels, choice.law,
                                        choice.channels, target);
    out->SetSyncPoint(TRUE);
    return out->SetActualDataLength(static_cast<long>(written));
}

STDMETHODIMP G711Compressor::GetPages(CAUUID* pPages)
{
    CheckPointer(pPages, E_POINTER);
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pPages->pElems) {
        pPages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pPages->cElems = 1;
    pPages->pElems[0] = kClsidG711Page;
    return S_OK;
}

STDMETHODIMP G711Compressor::Describe(LPWSTR text, int length)
{
    CheckPointer(text, E_POINTER);
    if (length <= 0)
        return E_INVALIDARG;
    CAutoLock lock(&filterLock_);
    std::wstring lines = acceptedRate_ ? L"Accepts 16-bit PCM at " + std::to_wstring(acceptedRate_) + L" Hz only"
                                       : std::wstring(L"Accepts 16-bit PCM at any rate");
    const WAVEFORMATEX* pcm = Input()->IsConnected() ? PcmInputFormat(Input()->CurrentMediaType()) : nullptr;
    lines += pcm ? L"\r\nInput: " + std::to_wstring(pcm->nSamplesPerSec) + L" Hz, " + ChannelText(pcm->nChannels)
                 : std::wstring(L"\r\nInput: not connected");
    lines += std::wstring(L"\r\nOutput: ") + LawName(choice_.law) + L", " + ChannelText(choice_.channels);
    lines += choiceSet_ ? L" (chosen)" : L" (default)";
    lstrcpynW(text, lines.c_str(), length);
    return S_OK;
}

HRESULT G711Compressor::SetChoice(const AM_MEDIA_TYPE* type)
{
    if (!type) {
        choice_ = {};
        choiceSet_ = false;
        SetDirty(TRUE);
        return S_OK;
    }
    G711Choice choice;
    DWORD rate = 0;
    if (!ReadG711Type(*type, choice, rate) || !RateAccepted(rate))
        return VFW_E_INVALIDMEDIATYPE;
    const WAVEFORMATEX* pcm = Input()->IsConnected() ? PcmInputFormat(Input()->CurrentMediaType()) : nullptr;
    if (pcm && rate != pcm->nSamplesPerSec)
        return VFW_E_INVALIDMEDIATYPE;
    choice_ = choice;
    choiceSet_ = true;
    SetDirty(TRUE);
    return S_OK;
}

HRESULT G711Compressor::CurrentOutputType(CMediaType& type)
{
    if (Output()->IsConnected())
        return type.Set(Output()->CurrentMediaType());
    const WAVEFORMATEX* pcm = Input()->IsConnected() ? PcmInputFormat(Input()->CurrentMediaType()) : nullptr;
    if (!pcm)
        return VFW_E_NOT_CONNECTED;
    return MakeG711Type(choice_, pcm->nChannels, pcm->nSamplesPerSec, type);
}

DWORD G711Compressor::OfferRate()
{
    const WAVEFORMATEX* pcm = Input()->IsConnected() ? PcmInputFormat(Input()->CurrentMediaType()) : nullptr;
    if (pcm)
        return pcm->nSamplesPerSec;
    return acceptedRate_ ? acceptedRate_ : kPreferredRate;
}

HRESULT G711Compressor::OfferedType(int index, CMediaType& type)
{
    const G711Choice& offer = kG711Offers[index];
    return MakeG711Type(offer, offer.channels, OfferRate(), type);
}

HRESULT G711Compressor::WriteToStream(IStream* stream)
{
    if (FaultWanted(Fault::FailingSave))
        return STG_E_MEDIUMFULL;
    CAutoLock lock(&filterLock_);
    HRESULT hr = WriteInt(stream, choiceSet_ ? 1 : 0);
    if (SUCCEEDED(hr))
        hr = WriteInt(stream, choice_.law == Law::MuLaw ? 0 : 1);
    if (SUCCEEDED(hr))
        hr = WriteInt(stream, choice_.channels);
    return hr;
}

// A damaged state is refused and leaves the current choice alone.
HRESULT G711Compressor::ReadFromStream(IStream* stream)
{
    if (mPS_dwFileVersion != kStateVersion)
        return VFW_E_INVALID_FILE_VERSION;
    HRESULT hr = S_OK;
    const int set = ReadInt(stream, hr);
    const int law = SUCCEEDED(hr) ? ReadInt(stream, hr) : 0;
    const int channels = SUCCEEDED(hr) ? ReadInt(stream, hr) : 0;
    if (FAILED(hr))
        return hr;
    if ((set != 0 && set != 1) || (law != 0 && law != 1) || channels < 0 || channels > 2)
        return VFW_E_INVALID_FILE_FORMAT;
    CAutoLock lock(&filterLock_);
    choiceSet_ = set == 1;
    choice_ = choiceSet_ ? G711Choice{law == 0 ? Law::MuLaw : Law::ALaw, channels} : G711Choice{};
    return S_OK;
}

}  // namespace standin
