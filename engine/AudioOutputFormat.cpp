#include "AudioOutputFormat.h"

#include "profiles/core/AudioFormatList.h"

#include <dshow.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstring>

namespace {

// {tag-0000-0010-8000-00AA00389B71}
GUID SubtypeOfTag(WORD tag)
{
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = tag;
    return subtype;
}

// The format's 18 + cbSize bytes when the block holds them.
bool DeclaredSize(const std::vector<std::uint8_t>& format, size_t& size)
{
    size = profiles::WaveFormatSize(format);
    return size != 0 && size <= format.size();
}

}  // namespace

HRESULT AudioMediaTypeFromFormat(const std::vector<std::uint8_t>& format, CMediaType& type)
{
    size_t size = 0;
    if (!DeclaredSize(format, size))
        return E_INVALIDARG;
    WAVEFORMATEX head{};
    std::memcpy(&head, format.data(), profiles::kWaveFormatBaseSize);
    GUID subtype = SubtypeOfTag(head.wFormatTag);
    if (head.wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        if (size < sizeof(WAVEFORMATEXTENSIBLE))
            return E_INVALIDARG;
        WAVEFORMATEXTENSIBLE extensible{};
        std::memcpy(&extensible, format.data(), sizeof extensible);
        subtype = extensible.SubFormat;
    }
    const ULONG blockSize =
        head.wFormatTag == WAVE_FORMAT_PCM ? profiles::kWaveFormatBaseSize : static_cast<ULONG>(size);
    type.InitMediaType();
    type.SetType(&MEDIATYPE_Audio);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    type.SetTemporalCompression(FALSE);
    type.SetSampleSize(head.nBlockAlign);
    return type.SetFormat(format.data(), blockSize) ? S_OK : E_OUTOFMEMORY;
}

std::wstring DescribeAudioFormat(const std::vector<std::uint8_t>& format)
{
    size_t size = 0;
    if (!DeclaredSize(format, size))
        return {};
    std::vector<std::uint8_t> copy(format.begin(), format.begin() + size);
    auto* wave = reinterpret_cast<WAVEFORMATEX*>(copy.data());

    ACMFORMATTAGDETAILSW tag{};
    tag.cbStruct = sizeof tag;
    tag.dwFormatTag = wave->wFormatTag;
    if (acmFormatTagDetailsW(nullptr, &tag, ACM_FORMATTAGDETAILSF_FORMATTAG) != MMSYSERR_NOERROR)
        return {};
    ACMFORMATDETAILSW details{};
    details.cbStruct = sizeof details;
    details.dwFormatTag = wave->wFormatTag;
    details.pwfx = wave;
    details.cbwfx = static_cast<DWORD>(copy.size());
    if (acmFormatDetailsW(nullptr, &details, ACM_FORMATDETAILSF_FORMAT) != MMSYSERR_NOERROR)
        return {};
    return std::wstring(tag.szFormatTag) + L" " + details.szFormat;
}
