#include "MjpegCompressor.h"

#include <cstring>
#include <new>

#include <vfw.h>

#include "JpegEncoder.h"
#include "MjpegDialogs.h"
#include "MjpegState.h"
#include "StandinFaults.h"
#include "StandinGuids.h"

namespace standin {
namespace {

constexpr DWORD kFourccYuy2 = MAKEFOURCC('Y', 'U', 'Y', '2');
constexpr DWORD kFourccMjpg = MAKEFOURCC('M', 'J', 'P', 'G');
constexpr WORD kYuy2Bits = 16;
constexpr WORD kMjpgBits = 24;

const VIDEOINFOHEADER* VideoInfo(const CMediaType& type)
{
    if (*type.Type() != MEDIATYPE_Video || *type.FormatType() != FORMAT_VideoInfo || !type.Format() ||
        type.FormatLength() < sizeof(VIDEOINFOHEADER))
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(type.Format());
}

const VIDEOINFOHEADER* Yuy2Input(const CMediaType& type)
{
    const VIDEOINFOHEADER* info = VideoInfo(type);
    if (!info || *type.Subtype() != MEDIASUBTYPE_YUY2)
        return nullptr;
    const BITMAPINFOHEADER& bitmap = info->bmiHeader;
    // YUY2 is always top-down; a negative height says the same.
    if (bitmap.biCompression != kFourccYuy2 || bitmap.biBitCount != kYuy2Bits || bitmap.biWidth < 2 ||
        bitmap.biWidth % 2 != 0 || bitmap.biHeight == 0)
        return nullptr;
    return info;
}

int Height(const BITMAPINFOHEADER& bitmap)
{
    return bitmap.biHeight < 0 ? -bitmap.biHeight : bitmap.biHeight;
}

// Room for a frame of three bytes per pixel: above what our encoder writes for any
// camera picture at quality 100; a frame that still does not fit is encoded coarser.
long FrameCapacity(const BITMAPINFOHEADER& bitmap)
{
    return static_cast<long>(bitmap.biWidth) * Height(bitmap) * 3 + 4096;
}

}  // namespace

MjpegCompressor::MjpegCompressor(LPUNKNOWN outer, HRESULT* phr)
    : CodecFilter(kMjpegCompressorName, outer, kClsidMjpegCompressor, phr),
      CPersistStream(outer, phr),
      quality_(kDefaultMjpegQuality)
{
    SetOutputPin(std::make_unique<CodecOutputPin>(this, &filterLock_, phr));
}

CUnknown* WINAPI MjpegCompressor::CreateInstance(LPUNKNOWN outer, HRESULT* phr)
{
    auto* filter = new (std::nothrow) MjpegCompressor(outer, phr);
    if (!filter)
        *phr = E_OUTOFMEMORY;
    return filter;
}

STDMETHODIMP MjpegCompressor::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    CheckPointer(ppv, E_POINTER);
    if (riid == IID_IPersistStream)
        return GetInterface(static_cast<IPersistStream*>(this), ppv);
    if (riid == IID_IAMVfwCompressDialogs)
        return GetInterface(static_cast<IAMVfwCompressDialogs*>(this), ppv);
    return CodecFilter::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT MjpegCompressor::CheckInputType(const CMediaType& type)
{
    return Yuy2Input(type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT MjpegCompressor::CheckOutputType(const CMediaType& input, const CMediaType& output)
{
    const VIDEOINFOHEADER* in = Yuy2Input(input);
    const VIDEOINFOHEADER* out = VideoInfo(output);
    if (!in || !out || *output.Subtype() != MEDIASUBTYPE_MJPG || out->bmiHeader.biCompression != kFourccMjpg ||
        out->bmiHeader.biWidth != in->bmiHeader.biWidth || Height(out->bmiHeader) != Height(in->bmiHeader))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT MjpegCompressor::GetOutputType(const CMediaType& input, int position, CMediaType& output)
{
    const VIDEOINFOHEADER* in = Yuy2Input(input);
    if (!in || position > 0)
        return VFW_S_NO_MORE_ITEMS;
    VIDEOINFOHEADER info{};
    info.rcSource = in->rcSource;
    info.rcTarget = in->rcTarget;
    info.AvgTimePerFrame = FaultWanted(Fault::UntimedOutput) ? 0 : in->AvgTimePerFrame;
    BITMAPINFOHEADER& bitmap = info.bmiHeader;
    bitmap.biSize = sizeof bitmap;
    bitmap.biWidth = in->bmiHeader.biWidth;
    bitmap.biHeight = Height(in->bmiHeader);
    bitmap.biPlanes = 1;
    bitmap.biBitCount = kMjpgBits;
    bitmap.biCompression = kFourccMjpg;
    bitmap.biSizeImage = static_cast<DWORD>(FrameCapacity(in->bmiHeader));

    output.InitMediaType();
    output.SetType(&MEDIATYPE_Video);
    output.SetSubtype(&MEDIASUBTYPE_MJPG);
    output.SetFormatType(&FORMAT_VideoInfo);
    output.SetVariableSize();
    output.SetTemporalCompression(FALSE);
    return output.SetFormat(reinterpret_cast<const BYTE*>(&info), sizeof info) ? S_OK : E_OUTOFMEMORY;
}

long MjpegCompressor::OutputBufferSize(const CMediaType& input, const CMediaType&)
{
    const VIDEOINFOHEADER* in = Yuy2Input(input);
    return in ? FrameCapacity(in->bmiHeader) : 0;
}

HRESULT MjpegCompressor::Encode(IMediaSample* in, IMediaSample* out)
{
    const VIDEOINFOHEADER* info = Yuy2Input(Input()->CurrentMediaType());
    if (!info)
        return VFW_E_NOT_CONNECTED;
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    HRESULT hr = in->GetPointer(&source);
    if (SUCCEEDED(hr))
        hr = out->GetPointer(&target);
    if (FAILED(hr))
        return hr;
    const Yuy2Picture picture{source, info->bmiHeader.biWidth, Height(info->bmiHeader),
                              static_cast<ptrdiff_t>(info->bmiHeader.biWidth) * 2};
    if (in->GetActualDataLength() < picture.stride * picture.height)
        return VFW_E_SAMPLE_REJECTED;
    for (int quality = Quality();; quality /= 2) {
        frame_.clear();
        EncodeJpeg(picture, quality, frame_);
        if (frame_.size() <= static_cast<size_t>(out->GetSize()))
            break;
        if (quality <= kMinJpegQuality)
            return VFW_E_BUFFER_OVERFLOW;
    }
    std::memcpy(target, frame_.data(), frame_.size());
    out->SetSyncPoint(TRUE);
    return out->SetActualDataLength(static_cast<long>(frame_.size()));
}

STDMETHODIMP MjpegCompressor::ShowDialog(int iDialog, HWND hwnd)
{
    switch (iDialog) {
    case VfwCompressDialog_QueryConfig:
    case VfwCompressDialog_QueryAbout:
        return S_OK;
    case VfwCompressDialog_Config: {
        const int chosen = ShowQualityDialog(hwnd, Quality());
        if (chosen > 0)
            SetQuality(chosen);
        return S_OK;
    }
    case VfwCompressDialog_About:
        ShowAboutBox(hwnd);
        return S_OK;
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP MjpegCompressor::GetState(LPVOID pState, int* pcbState)
{
    CheckPointer(pcbState, E_POINTER);
    if (!pState) {
        *pcbState = static_cast<int>(kMjpegStateBytes);
        return S_OK;
    }
    if (*pcbState < static_cast<int>(kMjpegStateBytes))
        return E_INVALIDARG;
    const auto state = SerializeMjpegState(Quality());
    std::memcpy(pState, state.data(), state.size());
    *pcbState = static_cast<int>(state.size());
    return S_OK;
}

STDMETHODIMP MjpegCompressor::SetState(LPVOID pState, int cbState)
{
    CheckPointer(pState, E_POINTER);
    if (cbState < 0)
        return E_INVALIDARG;
    const auto quality = ParseMjpegState(static_cast<const uint8_t*>(pState), static_cast<size_t>(cbState));
    if (!quality)
        return E_INVALIDARG;
    SetQuality(*quality);
    return S_OK;
}

STDMETHODIMP MjpegCompressor::SendDriverMessage(int uMsg, LONG dw1, LONG)
{
    if (uMsg == ICM_GETSTATE && dw1 == 0)
        return static_cast<HRESULT>(kMjpegStateBytes);
    return static_cast<HRESULT>(ICERR_UNSUPPORTED);
}

HRESULT MjpegCompressor::WriteToStream(IStream* stream)
{
    return WriteInt(stream, Quality());
}

HRESULT MjpegCompressor::ReadFromStream(IStream* stream)
{
    if (mPS_dwFileVersion != kPersistVersion)
        return VFW_E_INVALID_FILE_VERSION;
    HRESULT hr = S_OK;
    const int quality = ReadInt(stream, hr);
    if (FAILED(hr))
        return hr;
    if (quality < kMinJpegQuality || quality > kMaxJpegQuality)
        return VFW_E_INVALID_FILE_FORMAT;
    SetQuality(quality);
    return S_OK;
}

int MjpegCompressor::Quality()
{
    CAutoLock lock(&qualityLock_);
    return quality_;
}

void MjpegCompressor::SetQuality(int quality)
{
    CAutoLock lock(&qualityLock_);
    if (quality != quality_)
        SetDirty(TRUE);
    quality_ = quality;
}

}  // namespace standin
