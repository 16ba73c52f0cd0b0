// The stand-in video compressor: YUY2 in, Motion JPEG (MJPG, every frame a key frame) out.
// Its quality is the driver state of IAMVfwCompressDialogs (GetState/SetState and the
// configuration dialog) and is also kept by IPersistStream.
#pragma once

#include <vector>

#include "CodecFilter.h"

namespace standin {

class MjpegCompressor : public CodecFilter, public CPersistStream, public IAMVfwCompressDialogs {
public:
    MjpegCompressor(LPUNKNOWN outer, HRESULT* phr);
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN outer, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP GetClassID(CLSID* pClsid) override { return CBaseFilter::GetClassID(pClsid); }

    HRESULT CheckInputType(const CMediaType& type) override;
    HRESULT CheckOutputType(const CMediaType& input, const CMediaType& output) override;
    HRESULT GetOutputType(const CMediaType& input, int position, CMediaType& output) override;
    long OutputBufferSize(const CMediaType& input, const CMediaType& output) override;
    HRESULT Encode(IMediaSample* in, IMediaSample* out) override;

    // IAMVfwCompressDialogs; its GetState sits beside the filter's own.
    using CBaseFilter::GetState;
    STDMETHODIMP ShowDialog(int iDialog, HWND hwnd) override;
    // A null buffer asks for the size.
    STDMETHODIMP GetState(LPVOID pState, int* pcbState) override;
    // A block of another size, tag or version, or a quality out of range, is refused.
    STDMETHODIMP SetState(LPVOID pState, int cbState) override;
    // ICM_GETSTATE without a buffer answers the state size; pointers do not fit the
    // 32-bit parameters of a 64-bit process, so nothing else is supported.
    STDMETHODIMP SendDriverMessage(int uMsg, LONG dw1, LONG dw2) override;

    // CPersistStream
    DWORD GetSoftwareVersion() override { return kPersistVersion; }
    HRESULT WriteToStream(IStream* stream) override;
    HRESULT ReadFromStream(IStream* stream) override;
    int SizeMax() override { return kIntTextBytes; }

    int Quality();
    void SetQuality(int quality);

private:
    static constexpr DWORD kPersistVersion = 1;
    static constexpr int kIntTextBytes = 24;

    CCritSec qualityLock_;  // the streaming thread reads the quality while dialogs change it
    int quality_;
    std::vector<uint8_t> frame_;  // the streaming thread's encoding buffer
};

}  // namespace standin
