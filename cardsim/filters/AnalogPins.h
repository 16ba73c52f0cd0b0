// Pins that carry no samples: the physical connectors of the crossbar, its decoder outputs,
// and the capture filter's analog video input that the crossbar feeds.
#pragma once

#include "dshowbase/streams.h"

namespace cardsim {

// An input pin of analog video or audio. With a category it answers IKsPropertySet.
class AnalogInputPin : public CBaseInputPin, public IKsPropertySet {
public:
    AnalogInputPin(const wchar_t* name, CBaseFilter* filter, CCritSec* lock, HRESULT* hr, const GUID& majorType,
                   const GUID* category);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID iid, void** object) override;

    STDMETHODIMP Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) override;
    STDMETHODIMP Get(REFGUID propertySet, DWORD propertyId, void* instance, DWORD instanceBytes, void* data,
                     DWORD dataBytes, DWORD* returnedBytes) override;
    STDMETHODIMP QuerySupported(REFGUID propertySet, DWORD propertyId, DWORD* support) override;

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    STDMETHODIMP Receive(IMediaSample*) override { return E_UNEXPECTED; }

private:
    GUID majorType_;
    GUID category_{};
    bool hasCategory_;
};

// An output pin of analog video or audio.
class AnalogOutputPin : public CBaseOutputPin {
public:
    AnalogOutputPin(const wchar_t* name, CBaseFilter* filter, CCritSec* lock, HRESULT* hr, const GUID& majorType);

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    STDMETHODIMP Notify(IBaseFilter*, Quality) override { return E_NOTIMPL; }

private:
    GUID majorType_;
};

}  // namespace cardsim
