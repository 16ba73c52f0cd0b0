#include "G711Formats.h"

namespace standin {
namespace {

constexpr WORD kPcmBits = 16;
constexpr WORD kG711Bits = 8;

WORD WaveTag(Law law)
{
    return law == Law::MuLaw ? WAVE_FORMAT_MULAW : WAVE_FORMAT_ALAW;
}

// The audio subtype of a wave format tag: the tag in the first field of the base GUID.
GUID SubtypeOfTag(WORD tag)
{
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = tag;
    return subtype;
}

bool ValidChannels(int channels)
{
    return channels == 1 || channels == 2;
}

}  // namespace

const WAVEFORMATEX* PcmInputFormat(const CMediaType& type)
{
    if (*type.Type() != MEDIATYPE_Audio || *type.Subtype() != MEDIASUBTYPE_PCM ||
        *type.FormatType() != FORMAT_WaveFormatEx || type.FormatLength() < sizeof(WAVEFORMAT) + sizeof(WORD))
        return nullptr;
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type.Format());
    if (format->wFormatTag != WAVE_FORMAT_PCM || format->wBitsPerSample != kPcmBits ||
        !ValidChannels(format->nChannels) || format->nSamplesPerSec == 0 ||
        format->nBlockAlign != format->nChannels * kPcmBits / 8)
        return nullptr;
    return format;
}

HRESULT MakeG711Type(G711Choice choice, int inputChannels, DWORD rate, CMediaType& type)
{
    const int channels = choice.channels ? choice.channels : inputChannels;
    if (!ValidChannels(channels) || rate == 0)
        return E_INVALIDARG;
    WAVEFORMATEX format{};
    format.wFormatTag = WaveTag(choice.law);
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = kG711Bits;
    format.nBlockAlign = static_cast<WORD>(channels * kG711Bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    format.cbSize = 0;

    type.InitMediaType();
    type.SetType(&MEDIATYPE_Audio);
    const GUID subtype = SubtypeOfTag(format.wFormatTag);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    type.SetSampleSize(format.nBlockAlign);
    type.SetTemporalCompression(FALSE);
    return type.SetFormat(reinterpret_cast<const BYTE*>(&format), sizeof format) ? S_OK : E_OUTOFMEMORY;
}

bool ReadG711Type(const AM_MEDIA_TYPE& type, G711Choice& choice, DWORD& rate)
{
    if (type.majortype != MEDIATYPE_Audio || type.formattype != FORMAT_WaveFormatEx || !type.pbFormat ||
        type.cbFormat < sizeof(WAVEFORMATEX))
        return false;
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
    const bool muLaw = format->wFormatTag == WAVE_FORMAT_MULAW;
    if (!muLaw && format->wFormatTag != WAVE_FORMAT_ALAW)
        return false;
    if (type.subtype != SubtypeOfTag(format->wFormatTag) || !ValidChannels(format->nChannels) ||
        format->wBitsPerSample != kG711Bits || format->nBlockAlign != format->nChannels ||
        format->nSamplesPerSec == 0 || format->nAvgBytesPerSec != format->nSamplesPerSec * format->nChannels)
        return false;
    choice = {muLaw ? Law::MuLaw : Law::ALaw, format->nChannels};
    rate = format->nSamplesPerSec;
    return true;
}

const wchar_t* LawName(Law law)
{
    return law == Law::MuLaw ? L"mu-law" : L"A-law";
}

}  // namespace standin
