// The G.711 compressor's output pin with IAMStreamConfig.
#pragma once

#include "CodecFilter.h"

namespace standin {

class G711Compressor;

class G711OutputPin : public CodecOutputPin, public IAMStreamConfig {
public:
    G711OutputPin(G711Compressor* filter, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Only while stopped; null brings the default back. With the input connected the type
    // must suit its rate; a connected output reconnects with it.
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* pmt) override;
    // The type the output has or would connect with; needs a connected input.
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** ppmt) override;
    STDMETHODIMP GetNumberOfCapabilities(int* piCount, int* piSize) override;
    // At the input's rate when it is connected, else at the rate the filter prefers.
    STDMETHODIMP GetStreamCaps(int iIndex, AM_MEDIA_TYPE** ppmt, BYTE* pSCC) override;

private:
    G711Compressor* g711_;
};

}  // namespace standin
