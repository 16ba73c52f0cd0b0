// An output pin of the capture filter that delivers in real time from a thread of its own
// while the filter runs. Subclasses say when the next sample is due and fill it.
#pragma once

#include "dshowbase/streams.h"

#include <cstdint>

namespace cardsim {

class CaptureFilter;

class LiveStreamPin : public CBaseOutputPin, public IKsPropertySet {
public:
    LiveStreamPin(const wchar_t* name, CaptureFilter* filter, CCritSec* lock, HRESULT* hr, const GUID& category);
    ~LiveStreamPin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID iid, void** object) override;

    // IKsPropertySet: the pin category.
    STDMETHODIMP Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) override;
    STDMETHODIMP Get(REFGUID propertySet, DWORD propertyId, void* instance, DWORD instanceBytes, void* data,
                     DWORD dataBytes, DWORD* returnedBytes) override;
    STDMETHODIMP QuerySupported(REFGUID propertySet, DWORD propertyId, DWORD* support) override;

    STDMETHODIMP Notify(IBaseFilter*, Quality) override { return E_NOTIMPL; }

    HRESULT Active() override;
    HRESULT Inactive() override;

protected:
    enum class Step { Wait, Deliver, Skip };

    // Called on the streaming thread with the stream time now. Returns Deliver when a sample
    // is due (FillSample follows), Skip when a period passed without one, Wait otherwise;
    // waitFor receives how long to wait at most (100 ns).
    virtual Step NextStep(REFERENCE_TIME now, REFERENCE_TIME& waitFor) = 0;
    // Fills the sample prepared by the last Deliver step.
    virtual HRESULT FillSample(IMediaSample* sample) = 0;
    // A new run of the stream: its timeline starts over.
    virtual void StartStream() = 0;

    CaptureFilter* Filter() const { return filter_; }
    uint64_t Session() const { return session_; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Stream();

    CaptureFilter* filter_;
    GUID category_;
    HANDLE stopEvent_ = nullptr;
    HANDLE thread_ = nullptr;
    uint64_t session_ = 0;
};

}  // namespace cardsim
