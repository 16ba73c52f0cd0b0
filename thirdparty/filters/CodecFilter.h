// A one-in, one-out compressor on our DirectShow base classes: the input pin takes
// what the derived filter accepts, each sample is encoded into one output sample on the
// streaming thread, and the output offers the derived filter's types.
#pragma once

#include <memory>

#include "dshowbase/streams.h"

namespace standin {

class CodecFilter;

class CodecInputPin : public CBaseInputPin {
public:
    CodecInputPin(CodecFilter* filter, CCritSec* lock, HRESULT* phr);

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    HRESULT BreakConnect() override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // The allocator the upstream pin chose, or null.
    IMemAllocator* Allocator() const { return m_pAllocator; }

private:
    CodecFilter* codec_;
};

class CodecOutputPin : public CBaseOutputPin {
public:
    CodecOutputPin(CodecFilter* filter, CCritSec* lock, HRESULT* phr);

    // Nothing connects downstream before the input has a type.
    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pprop) override;

protected:
    CodecFilter* codec_;
};

class CodecFilter : public CBaseFilter {
public:
    CodecFilter(LPCTSTR name, LPUNKNOWN outer, REFCLSID clsid, HRESULT* phr);
    ~CodecFilter() override;

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override;
    // Waits for a sample being encoded before it reports the filter stopped.
    STDMETHODIMP Stop() override;

    // What the derived encoder decides, under the filter lock.
    virtual HRESULT CheckInputType(const CMediaType& type) = 0;
    virtual HRESULT CheckOutputType(const CMediaType& input, const CMediaType& output) = 0;
    virtual HRESULT GetOutputType(const CMediaType& input, int position, CMediaType& output) = 0;
    // Bytes one output sample needs for the connected types.
    virtual long OutputBufferSize(const CMediaType& input, const CMediaType& output) = 0;
    // Encodes one input sample into `out`, setting its actual length; on the streaming thread.
    virtual HRESULT Encode(IMediaSample* in, IMediaSample* out) = 0;
    // The input pin was connected or disconnected.
    virtual void InputTypeChanged() {}

    CodecInputPin* Input() const { return input_.get(); }
    CodecOutputPin* Output() const { return output_.get(); }

protected:
    // The derived filter's constructor gives the output pin (a subclass may add interfaces).
    void SetOutputPin(std::unique_ptr<CodecOutputPin> output) { output_ = std::move(output); }
    HRESULT Process(IMediaSample* in);

    CCritSec filterLock_;
    CCritSec receiveLock_;  // held while a sample is encoded

private:
    friend class CodecInputPin;
    std::unique_ptr<CodecInputPin> input_;
    std::unique_ptr<CodecOutputPin> output_;
};

}  // namespace standin
