#include "CrossbarFilter.h"

#include <string>

#include "AnalogLink.h"
#include "CardGuids.h"
#include "CardPages.h"
#include "CrossbarLayout.h"
#include "SimulatedCard.h"

namespace cardsim {
namespace {

const GUID& MajorTypeOf(long physicalType)
{
    return IsAudioType(physicalType) ? MEDIATYPE_AnalogAudio : MEDIATYPE_AnalogVideo;
}

}  // namespace

CUnknown* WINAPI CrossbarFilter::CreateInstance(LPUNKNOWN outer, HRESULT* hr)
{
    auto* filter = new (std::nothrow) CrossbarFilter(outer, hr);
    if (!filter && hr)
        *hr = E_OUTOFMEMORY;
    return filter;
}

CrossbarFilter::CrossbarFilter(LPUNKNOWN outer, HRESULT* hr)
    : CBaseFilter(kCrossbarName, outer, &lock_, kClsidCrossbar, hr)
{
    for (long i = 0; i < kCrossbarInputs; ++i) {
        const CrossbarPin& pin = CrossbarInput(i);
        const std::wstring name(pin.name);
        inputs_.push_back(
            std::make_unique<AnalogInputPin>(name.c_str(), this, &lock_, hr, MajorTypeOf(pin.physicalType), nullptr));
    }
    outputs_.push_back(
        std::make_unique<AnalogOutputPin>(kCrossbarVideoOutName, this, &lock_, hr, MEDIATYPE_AnalogVideo));
    outputs_.push_back(
        std::make_unique<AnalogOutputPin>(kCrossbarAudioOutName, this, &lock_, hr, MEDIATYPE_AnalogAudio));
}

STDMETHODIMP CrossbarFilter::NonDelegatingQueryInterface(REFIID iid, void** object)
{
    if (iid == IID_IAMCrossbar)
        return GetInterface(static_cast<IAMCrossbar*>(this), object);
    if (iid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), object);
    return CBaseFilter::NonDelegatingQueryInterface(iid, object);
}

STDMETHODIMP CrossbarFilter::GetPages(CAUUID* pages)
{
    return OnePage(kClsidCrossbarPage, pages);
}

int CrossbarFilter::GetPinCount()
{
    return static_cast<int>(inputs_.size() + outputs_.size());
}

CBasePin* CrossbarFilter::GetPin(int index)
{
    if (index < 0)
        return nullptr;
    const size_t at = static_cast<size_t>(index);
    if (at < inputs_.size())
        return inputs_[at].get();
    if (at < inputs_.size() + outputs_.size())
        return outputs_[at - inputs_.size()].get();
    return nullptr;
}

STDMETHODIMP CrossbarFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    const HRESULT hr = CBaseFilter::JoinFilterGraph(graph, name);
    if (SUCCEEDED(hr) && graph)
        LinkCrossbarToCapture(graph, this);
    return hr;
}

STDMETHODIMP CrossbarFilter::get_PinCounts(long* outputs, long* inputs)
{
    CheckPointer(outputs, E_POINTER);
    CheckPointer(inputs, E_POINTER);
    *outputs = kCrossbarOutputs;
    *inputs = kCrossbarInputs;
    return S_OK;
}

STDMETHODIMP CrossbarFilter::CanRoute(long output, long input)
{
    return SimulatedCard::Instance().CanRoute(output, input) ? S_OK : S_FALSE;
}

STDMETHODIMP CrossbarFilter::Route(long output, long input)
{
    return SimulatedCard::Instance().Route(output, input) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CrossbarFilter::get_IsRoutedTo(long output, long* input)
{
    CheckPointer(input, E_POINTER);
    if (output < 0 || output >= kCrossbarOutputs)
        return E_INVALIDARG;
    *input = SimulatedCard::Instance().RoutedTo(output);
    return S_OK;
}

STDMETHODIMP CrossbarFilter::get_CrossbarPinInfo(BOOL isInput, long index, long* related, long* physicalType)
{
    CheckPointer(related, E_POINTER);
    CheckPointer(physicalType, E_POINTER);
    const long count = isInput ? kCrossbarInputs : kCrossbarOutputs;
    if (index < 0 || index >= count)
        return E_INVALIDARG;
    const CrossbarPin& pin = isInput ? CrossbarInput(index) : CrossbarOutput(index);
    *related = pin.related;
    *physicalType = pin.physicalType;
    return S_OK;
}

}  // namespace cardsim
