// The stand-in audio compressor: 16-bit PCM in, G.711 mu-law or A-law out at the input's
// rate, mono or stereo. One variant takes every rate, the other only 44100 Hz. The
// output choice is made through IAMStreamConfig on the output pin and kept by
// IPersistStream; the property page shows it.
#pragma once

#include <vector>

#include "CodecFilter.h"
#include "G711Formats.h"

namespace standin {

// {B73E8327-37F0-4A09-AB70-DB38119CDE78}: what the property page reads.
inline constexpr IID IID_IG711State = {0xB73E8327, 0x37F0, 0x4A09, {0xAB, 0x70, 0xDB, 0x38, 0x11, 0x9C, 0xDE, 0x78}};
struct IG711State : public IUnknown {
    // One line per fact: accepted input, current input, output choice.
    virtual HRESULT STDMETHODCALLTYPE Describe(LPWSTR text, int length) = 0;
};

class G711Compressor : public CodecFilter, public CPersistStream, public ISpecifyPropertyPages, public IG711State {
public:
    // acceptedRate 0: every rate.
    G711Compressor(LPUNKNOWN outer, REFCLSID clsid, DWORD acceptedRate, HRESULT* phr);

    static CUnknown* WINAPI CreateFor44100(LPUNKNOWN outer, HRESULT* phr);
    static CUnknown* WINAPI CreateForAnyRate(LPUNKNOWN outer, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP GetClassID(CLSID* pClsid) override { return CBaseFilter::GetClassID(pClsid); }

    HRESULT CheckInputType(const CMediaType& type) override;
    HRESULT CheckOutputType(const CMediaType& input, const CMediaType& output) override;
    HRESULT GetOutputType(const CMediaType& input, int position, CMediaType& output) override;
    long OutputBufferSize(const CMediaType& input, const CMediaType& output) override;
    HRESULT Encode(IMediaSample* in, IMediaSample* out) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pPages) override;
    // IG711State
    STDMETHODIMP Describe(LPWSTR text, int length) override;

    // For the output pin's IAMStreamConfig, under the filter lock.
    HRESULT SetChoice(const AM_MEDIA_TYPE* type);
    HRESULT CurrentOutputType(CMediaType& type);
    HRESULT OfferedType(int index, CMediaType& type);
    DWORD OfferRate();
    CCritSec* FilterLock() { return &filterLock_; }

    // CPersistStream: the output choice.
    DWORD GetSoftwareVersion() override { return kStateVersion; }
    HRESULT WriteToStream(IStream* stream) override;
    HRESULT ReadFromStream(IStream* stream) override;
    int SizeMax() override { return 3 * kIntTextBytes; }

private:
    static constexpr DWORD kStateVersion = 1;
    static constexpr int kIntTextBytes = 24;

    bool RateAccepted(DWORD rate) const { return acceptedRate_ == 0 || rate == acceptedRate_; }

    const DWORD acceptedRate_;
    G711Choice choice_;
    bool choiceSet_ = false;  // by SetFormat or a loaded state: only that type is offered
};

}  // namespace standin
