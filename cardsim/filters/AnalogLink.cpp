#include "AnalogLink.h"

#include "CardGuids.h"
#include "CrossbarFilter.h"

namespace cardsim {
namespace {

bool IsOfClass(IBaseFilter* filter, const CLSID& clsid)
{
    CLSID actual{};
    return SUCCEEDED(filter->GetClassID(&actual)) && actual == clsid;
}

// The first filter of the class among the joining one and the graph's; with a reference.
IBaseFilter* FindFilter(IFilterGraph* graph, IBaseFilter* joining, const CLSID& clsid)
{
    if (IsOfClass(joining, clsid)) {
        joining->AddRef();
        return joining;
    }
    IEnumFilters* filters = nullptr;
    if (FAILED(graph->EnumFilters(&filters)))
        return nullptr;
    IBaseFilter* found = nullptr;
    for (IBaseFilter* filter = nullptr; !found && filters->Next(1, &filter, nullptr) == S_OK;) {
        if (IsOfClass(filter, clsid))
            found = filter;
        else
            filter->Release();
    }
    filters->Release();
    return found;
}

bool Unconnected(IPin* pin)
{
    IPin* peer = nullptr;
    if (pin->ConnectedTo(&peer) == S_OK) {
        peer->Release();
        return false;
    }
    return true;
}

}  // namespace

void LinkCrossbarToCapture(IFilterGraph* graph, IBaseFilter* joining)
{
    if (!graph || !joining)
        return;
    IBaseFilter* crossbar = FindFilter(graph, joining, kClsidCrossbar);
    IBaseFilter* capture = FindFilter(graph, joining, kClsidCaptureFilter);
    IPin* output = nullptr;
    IPin* input = nullptr;
    if (crossbar && capture && SUCCEEDED(crossbar->FindPin(kCrossbarVideoOutName, &output)) &&
        SUCCEEDED(capture->FindPin(kAnalogVideoInName, &input)) && Unconnected(output) && Unconnected(input)) {
        output->Connect(input, nullptr);
    }
    for (IUnknown* held : {static_cast<IUnknown*>(input), static_cast<IUnknown*>(output),
                           static_cast<IUnknown*>(capture), static_cast<IUnknown*>(crossbar)}) {
        if (held)
            held->Release();
    }
}

}  // namespace cardsim
