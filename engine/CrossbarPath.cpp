#include "CrossbarPath.h"

#include "AudioInputRule.h"
#include "PinQueries.h"

#include <iterator>

using Microsoft::WRL::ComPtr;

namespace {

constexpr LONG kFirstAudioPhysicalType = 0x1000;
constexpr HRESULT kEndOfChain = 1;

// The chain at `index` of a list of chains, const or not; null when out of range.
template <typename Chains>
auto ChainAt(Chains& chains, int index) -> decltype(&chains.front())
{
    if (index < 0 || static_cast<size_t>(index) >= chains.size())
        return nullptr;
    return &*std::next(chains.begin(), index);
}

}  // namespace

CCrossbarPath::CCrossbarPath(IPin* analogVideoInput, HRESULT* result) : analogVideoInput_(analogVideoInput)
{
    Chain chain;
    const HRESULT hr = Walk(analogVideoInput, 0, chain);
    if (result)
        *result = FAILED(hr) ? hr : S_OK;
}

HRESULT CCrossbarPath::Walk(IPin* pin, LONG depth, Chain& chain)
{
    const HRESULT notACrossbar = depth > 0 ? kEndOfChain : E_FAIL;
    ComPtr<IPin> peer;
    if (FAILED(pin->ConnectedTo(&peer)))
        return notACrossbar;
    ComPtr<IBaseFilter> filter;
    filter = OwnerOf(peer.Get());
    ComPtr<IAMCrossbar> crossbar;
    if (!filter || FAILED(filter.As(&crossbar)))
        return notACrossbar;

    LONG outputs = 0, inputs = 0;
    HRESULT hr = crossbar->get_PinCounts(&outputs, &inputs);
    if (FAILED(hr))
        return hr;
    const LONG output = PinPosition(filter.Get(), peer.Get()) - inputs;
    LONG outputRelated = -1, outputType = 0;
    hr = crossbar->get_CrossbarPinInfo(FALSE, output, &outputRelated, &outputType);
    if (FAILED(hr))
        return hr;

    for (LONG input = 0; input < inputs; ++input) {
        LONG inputRelated = -1, inputType = 0;
        if (FAILED(crossbar->get_CrossbarPinInfo(TRUE, input, &inputRelated, &inputType)))
            continue;
        if (inputType >= kFirstAudioPhysicalType || crossbar->CanRoute(output, input) != S_OK)
            continue;
        chain.resize(depth + 1);
        chain[depth] = {input, output, inputRelated, outputRelated, crossbar, inputType, outputType, depth};
        ComPtr<IPin> inputPin;
        inputPin = NthPin(filter.Get(), PINDIR_INPUT, input);
        if (!inputPin)
            continue;
        if (Walk(inputPin.Get(), depth + 1, chain) == kEndOfChain)
            chains_.emplace_back(chain.begin(), chain.begin() + depth + 1);
    }
    return S_OK;
}

HRESULT CCrossbarPath::GetInputType(int index, LONG* physicalType) const
{
    const Chain* chain = ChainAt(chains_, index);
    if (!chain || chain->empty() || !physicalType)
        return E_FAIL;
    *physicalType = chain->front().inputPhysicalType;
    return S_OK;
}

HRESULT CCrossbarPath::RouteChain(int index)
{
    const Chain* chain = ChainAt(chains_, index);
    if (!chain)
        return E_FAIL;
    HRESULT hr = E_FAIL;
    for (const CrossbarHop& hop : *chain) {
        hr = hop.crossbar->Route(hop.videoOutput, hop.videoInput);
        if (hop.audioInput != -1 && hop.audioOutput != -1)
            hop.crossbar->Route(hop.audioOutput, hop.audioInput);
    }
    current_ = index;
    return hr;
}

HRESULT CCrossbarPath::SelectAudioInput(int index)
{
    Chain* chain = ChainAt(chains_, current_);
    if (!chain || chain->empty())
        return E_FAIL;
    CrossbarHop& hop = chain->front();

    LONG outputs = 0, inputs = 0;
    HRESULT hr = hop.crossbar->get_PinCounts(&outputs, &inputs);
    if (FAILED(hr))
        return hr;
    std::vector<long> types;
    HRESULT readFailure = S_OK;
    for (LONG j = 0; j < inputs; ++j) {
        LONG related = 0, type = 0;
        readFailure = hop.crossbar->get_CrossbarPinInfo(TRUE, j, &related, &type);
        if (FAILED(readFailure))
            break;
        types.push_back(type);
    }
    // The rule reads each input's type only after checking the count, so an
    // input found before a failing read is still routed.
    const int position = engine::AudioInputPosition(types, index);
    if (position < 0)
        return FAILED(readFailure) ? readFailure : E_FAIL;
    hr = hop.crossbar->Route(hop.audioOutput, position);
    if (FAILED(hr))
        return hr;
    hop.audioInput = position;
    return S_OK;
}

HRESULT FindAnalogVideoInput(IBaseFilter* captureFilter, IPin** pin)
{
    ComPtr<IEnumPins> pins;
    HRESULT hr = captureFilter->EnumPins(&pins);
    if (FAILED(hr))
        return hr;
    ComPtr<IPin> candidate;
    while (pins->Next(1, candidate.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        if (DirectionOf(candidate.Get()) == PINDIR_INPUT &&
            PinCategory(candidate.Get()) == PIN_CATEGORY_ANALOGVIDEOIN) {
            *pin = candidate.Detach();
            return S_OK;
        }
    }
    return E_FAIL;
}

HRESULT BuildCrossbarPath(IBaseFilter* captureFilter, std::unique_ptr<CCrossbarPath>& path)
{
    ComPtr<IPin> analogInput;
    HRESULT hr = FindAnalogVideoInput(captureFilter, &analogInput);
    if (FAILED(hr))
        return hr;
    auto built = std::make_unique<CCrossbarPath>(analogInput.Get(), &hr);
    if (FAILED(hr))
        return hr;
    path = std::move(built);
    return S_OK;
}
