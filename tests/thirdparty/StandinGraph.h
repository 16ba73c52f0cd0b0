// Helpers for the tests of the stand-in compressors under Wine: the filters by class,
// PCM types, and the null source in a graph ahead of a compressor.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <mmreg.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

// The classes in StandinCodecs.dll (see thirdparty/README.md).
inline constexpr CLSID kClsidG711Compressor44k = {
    0x00A4625C, 0x1ED3, 0x4388, {0xA7, 0xC5, 0xAC, 0xEF, 0x71, 0x8F, 0x46, 0x6E}};
inline constexpr CLSID kClsidG711Compressor = {
    0x54D05EDC, 0xDA62, 0x4993, {0xBD, 0xBA, 0xAC, 0xF0, 0x61, 0x20, 0x65, 0x63}};
inline constexpr CLSID kClsidMjpegCompressor = {
    0xD0753715, 0xC2EF, 0x4D00, {0x86, 0x23, 0x50, 0x88, 0xAF, 0x19, 0x6D, 0xD4}};

ComPtr<IBaseFilter> CreateFilter(REFCLSID clsid);
ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction);

// A 16-bit PCM type.
AM_MEDIA_TYPE* NewPcmType(DWORD rate, WORD channels);
// A G.711 type (tag WAVE_FORMAT_MULAW or WAVE_FORMAT_ALAW).
AM_MEDIA_TYPE* NewG711Type(WORD tag, DWORD rate, WORD channels);
void DeleteType(AM_MEDIA_TYPE* type);
const WAVEFORMATEX& WaveFormat(const AM_MEDIA_TYPE* type);

// A graph holding the null source, set to one PCM type, and a compressor.
struct ProbeGraph {
    // Adds both filters and connects the source to the compressor's input; the result.
    HRESULT Connect(IBaseFilter* compressor, DWORD rate, WORD channels);
    ComPtr<IAMStreamConfig> OutputConfig();

    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> source;
    ComPtr<IBaseFilter> compressor;
};

// An IStream on memory, rewound.
ComPtr<IStream> MemoryStream();
void Rewind(IStream* stream);

// The note beside a recording that tells the host check what ffprobe must find in it.
void WriteRecordingNote(const std::wstring& avi, const std::string& expectations);
