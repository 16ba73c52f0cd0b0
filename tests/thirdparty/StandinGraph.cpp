#include "StandinGraph.h"

#include <filesystem>
#include <fstream>

#include "SimSrcFilter.h"

ComPtr<IBaseFilter> CreateFilter(REFCLSID clsid)
{
    ComPtr<IBaseFilter> filter;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&filter));
    return filter;
}

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction)
{
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins)))
        return nullptr;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        PIN_DIRECTION found;
        if (SUCCEEDED(pin->QueryDirection(&found)) && found == direction)
            return pin;
    }
    return nullptr;
}

namespace {

AM_MEDIA_TYPE* NewAudioType(const GUID& subtype, const WAVEFORMATEX& format)
{
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    *type = {};
    type->majortype = MEDIATYPE_Audio;
    type->subtype = subtype;
    type->bFixedSizeSamples = TRUE;
    type->lSampleSize = format.nBlockAlign;
    type->formattype = FORMAT_WaveFormatEx;
    type->cbFormat = sizeof format;
    type->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof format));
    *reinterpret_cast<WAVEFORMATEX*>(type->pbFormat) = format;
    return type;
}

WAVEFORMATEX Wave(WORD tag, WORD bits, DWORD rate, WORD channels)
{
    WAVEFORMATEX format{};
    format.wFormatTag = tag;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

}  // namespace

AM_MEDIA_TYPE* NewPcmType(DWORD rate, WORD channels)
{
    return NewAudioType(MEDIASUBTYPE_PCM, Wave(WAVE_FORMAT_PCM, 16, rate, channels));
}

AM_MEDIA_TYPE* NewG711Type(WORD tag, DWORD rate, WORD channels)
{
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = tag;
    return NewAudioType(subtype, Wave(tag, 8, rate, channels));
}

void DeleteType(AM_MEDIA_TYPE* type)
{
    if (!type)
        return;
    CoTaskMemFree(type->pbFormat);
    if (type->pUnk)
        type->pUnk->Release();
    CoTaskMemFree(type);
}

const WAVEFORMATEX& WaveFormat(const AM_MEDIA_TYPE* type)
{
    return *reinterpret_cast<const WAVEFORMATEX*>(type->pbFormat);
}

HRESULT ProbeGraph::Connect(IBaseFilter* filter, DWORD rate, WORD channels)
{
    compressor = filter;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
    if (FAILED(hr))
        return hr;
    CSimSrcFilter* simSrc = nullptr;
    hr = CSimSrcFilter::Create(&simSrc);
    if (FAILED(hr))
        return hr;
    source.Attach(simSrc);
    AM_MEDIA_TYPE* pcm = NewPcmType(rate, channels);
    hr = simSrc->AddMediaType(*pcm);
    DeleteType(pcm);
    if (SUCCEEDED(hr))
        hr = graph->AddFilter(source.Get(), L"Null Source");
    if (SUCCEEDED(hr))
        hr = graph->AddFilter(compressor.Get(), L"Compressor");
    if (SUCCEEDED(hr))
        hr = graph->ConnectDirect(FirstPin(source.Get(), PINDIR_OUTPUT).Get(),
                                  FirstPin(compressor.Get(), PINDIR_INPUT).Get(), nullptr);
    return hr;
}

ComPtr<IAMStreamConfig> ProbeGraph::OutputConfig()
{
    ComPtr<IAMStreamConfig> config;
    if (ComPtr<IPin> output = FirstPin(compressor.Get(), PINDIR_OUTPUT))
        output.As(&config);
    return config;
}

ComPtr<IStream> MemoryStream()
{
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    return stream;
}

void Rewind(IStream* stream)
{
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
}

void WriteRecordingNote(const std::wstring& avi, const std::string& expectations)
{
    std::ofstream(std::filesystem::path(avi + L".note")) << expectations << "\n";
}
