// A Sample Grabber callback owned by the engine: no reference counting,
// one lock for every update and read, and at most one attached grabber.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include <mutex>

class CBaseSampleGrabberCB : public ISampleGrabberCB {
public:
    CBaseSampleGrabberCB() = default;
    CBaseSampleGrabberCB(const CBaseSampleGrabberCB&) = delete;
    CBaseSampleGrabberCB& operator=(const CBaseSampleGrabberCB&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 0; }
    STDMETHODIMP SampleCB(double sampleTime, IMediaSample* sample) override;
    STDMETHODIMP BufferCB(double sampleTime, BYTE* buffer, long length) override;

    virtual void Reset() = 0;
    // Detaches from any grabber, resets, and makes `grabber` call SampleCB.
    virtual HRESULT Attach(ISampleGrabber* grabber);
    virtual void Detach();
    ISampleGrabber* GetGrabber() const { return grabber_.Get(); }
    virtual ~CBaseSampleGrabberCB();

protected:
    std::mutex lock_;

private:
    Microsoft::WRL::ComPtr<ISampleGrabber> grabber_;
};
