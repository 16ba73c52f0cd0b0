// Test helper: a filter graph around the simulated card's capture filter, with Sample Grabbers
// that record what each rendered stream delivers.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include <mutex>
#include <optional>
#include <vector>

using Microsoft::WRL::ComPtr;

// {796E9498-2445-40E6-BEA3-A65F78AB3BD9}
inline constexpr CLSID kClsidZelvanCapture = {
    0x796E9498, 0x2445, 0x40E6, {0xBE, 0xA3, 0xA6, 0x5F, 0x78, 0xAB, 0x3B, 0xD9}};
inline constexpr CLSID kClsidSampleGrabber = {
    0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
inline constexpr CLSID kClsidNullRenderer = {
    0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

struct RecordedSample {
    bool timed = false;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    bool mediaTimed = false;
    LONGLONG mediaStart = 0;
    LONGLONG mediaEnd = 0;
    std::vector<BYTE> data;
};

// Keeps every sample that passes a grabber (the owner keeps the object alive).
class SampleRecorder : public ISampleGrabberCB {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
            *object = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample* sample) override;
    STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }

    std::vector<RecordedSample> Samples();
    size_t Count();

    bool keepData = true;

private:
    std::mutex lock_;
    std::vector<RecordedSample> samples_;
};

class CaptureGraph {
public:
    CaptureGraph();  // creates the graph, the builder and the card's capture filter
    ~CaptureGraph();

    HRESULT Add(IBaseFilter* filter, const wchar_t* name);
    // RenderStream(category, type, capture filter, grabber, Null Renderer) with a recorder.
    HRESULT RenderIntoGrabber(const GUID& category, const GUID& type, SampleRecorder& recorder);
    // The connected media type of the grabber rendered last.
    std::optional<AM_MEDIA_TYPE> GrabberType(size_t index);

    ComPtr<IGraphBuilder> graph;
    ComPtr<ICaptureGraphBuilder2> builder;
    ComPtr<IBaseFilter> capture;
    ComPtr<IMediaControl> control;

private:
    std::vector<ComPtr<ISampleGrabber>> grabbers_;
};

ComPtr<IPin> PinNamed(IBaseFilter* filter, const wchar_t* name);
// Sets the pin's format to the capability of that size and frame duration; E_FAIL when
// there is none.
HRESULT SelectFormat(IBaseFilter* capture, const wchar_t* pinName, LONG width, LONG height,
                     REFERENCE_TIME frameDuration);
GUID PinCategory(IPin* pin);
void FreeType(AM_MEDIA_TYPE& type);
