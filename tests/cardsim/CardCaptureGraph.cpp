#include "CardCaptureGraph.h"

STDMETHODIMP SampleRecorder::SampleCB(double, IMediaSample* sample)
{
    RecordedSample recorded;
    recorded.timed = sample->GetTime(&recorded.start, &recorded.end) == S_OK;
    recorded.mediaTimed = sample->GetMediaTime(&recorded.mediaStart, &recorded.mediaEnd) == S_OK;
    BYTE* data = nullptr;
    if (keepData && SUCCEEDED(sample->GetPointer(&data)))
        recorded.data.assign(data, data + sample->GetActualDataLength());
    std::lock_guard<std::mutex> hold(lock_);
    samples_.push_back(std::move(recorded));
    return S_OK;
}

std::vector<RecordedSample> SampleRecorder::Samples()
{
    std::lock_guard<std::mutex> hold(lock_);
    return samples_;
}

size_t SampleRecorder::Count()
{
    std::lock_guard<std::mutex> hold(lock_);
    return samples_.size();
}

CaptureGraph::CaptureGraph()
{
    CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
    CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&builder));
    CoCreateInstance(kClsidZelvanCapture, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&capture));
    if (graph && builder && capture) {
        builder->SetFiltergraph(graph.Get());
        graph->AddFilter(capture.Get(), L"Capture Filter");
        graph.As(&control);
    }
}

CaptureGraph::~CaptureGraph()
{
    if (control)
        control->Stop();
}

HRESULT CaptureGraph::Add(IBaseFilter* filter, const wchar_t* name)
{
    return graph->AddFilter(filter, name);
}

HRESULT CaptureGraph::RenderIntoGrabber(const GUID& category, const GUID& type, SampleRecorder& recorder)
{
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<IBaseFilter> nullRenderer;
    HRESULT hr = CoCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&grabberFilter));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(kClsidNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&nullRenderer));
    ComPtr<ISampleGrabber> grabber;
    if (SUCCEEDED(hr))
        hr = grabberFilter.As(&grabber);
    if (FAILED(hr))
        return hr;
    AM_MEDIA_TYPE wanted{};
    wanted.majortype = type;
    grabber->SetMediaType(&wanted);
    graph->AddFilter(grabberFilter.Get(), nullptr);
    graph->AddFilter(nullRenderer.Get(), nullptr);
    hr = builder->RenderStream(&category, &type, capture.Get(), grabberFilter.Get(), nullRenderer.Get());
    if (FAILED(hr))
        return hr;
    grabbers_.push_back(grabber);
    return grabber->SetCallback(&recorder, 0);
}

std::optional<AM_MEDIA_TYPE> CaptureGraph::GrabberType(size_t index)
{
    AM_MEDIA_TYPE type{};
    if (index >= grabbers_.size() || FAILED(grabbers_[index]->GetConnectedMediaType(&type)))
        return std::nullopt;
    return type;
}

ComPtr<IPin> PinNamed(IBaseFilter* filter, const wchar_t* name)
{
    ComPtr<IPin> pin;
    filter->FindPin(name, &pin);
    return pin;
}

HRESULT SelectFormat(IBaseFilter* capture, const wchar_t* pinName, LONG width, LONG height,
                     REFERENCE_TIME frameDuration)
{
    ComPtr<IAMStreamConfig> config;
    HRESULT hr = PinNamed(capture, pinName).As(&config);
    int count = 0, size = 0;
    if (SUCCEEDED(hr))
        hr = config->GetNumberOfCapabilities(&count, &size);
    for (int i = 0; SUCCEEDED(hr) && i < count; ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        if (config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)) != S_OK)
            break;
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
        const bool wanted = info->bmiHeader.biWidth == width && info->bmiHeader.biHeight == height &&
                            info->AvgTimePerFrame == frameDuration;
        if (wanted)
            hr = config->SetFormat(type);
        FreeType(*type);
        CoTaskMemFree(type);
        if (wanted)
            return hr;
    }
    return FAILED(hr) ? hr : E_FAIL;
}

GUID PinCategory(IPin* pin)
{
    GUID category = GUID_NULL;
    ComPtr<IKsPropertySet> properties;
    DWORD returned = 0;
    if (pin && SUCCEEDED(pin->QueryInterface(IID_PPV_ARGS(&properties))))
        properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category, &returned);
    return category;
}

void FreeType(AM_MEDIA_TYPE& type)
{
    CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}
