// The card's crossbar: physical inputs, the video and audio decoder outputs and IAMCrossbar.
// Pins: the six inputs of the crossbar layout, then "Video Decoder Out", "Audio Decoder Out".
// The routing lives in the card, so the capture filter's sound follows it.
#pragma once

#include "dshowbase/streams.h"

#include <memory>
#include <vector>

#include "AnalogPins.h"
#include "FilterCensus.h"

namespace cardsim {

class CrossbarFilter : public CBaseFilter, public IAMCrossbar, public ISpecifyPropertyPages {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID iid, void** object) override;

    int GetPinCount() override;
    CBasePin* GetPin(int index) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

    // IAMCrossbar
    STDMETHODIMP get_PinCounts(long* outputs, long* inputs) override;
    STDMETHODIMP CanRoute(long output, long input) override;
    STDMETHODIMP Route(long output, long input) override;
    STDMETHODIMP get_IsRoutedTo(long output, long* input) override;
    STDMETHODIMP get_CrossbarPinInfo(BOOL isInput, long index, long* related, long* physicalType) override;

    // ISpecifyPropertyPages: the crossbar page.
    STDMETHODIMP GetPages(CAUUID* pages) override;

private:
    CrossbarFilter(LPUNKNOWN outer, HRESULT* hr);

    FilterCensus census_{"crossbar"};
    CCritSec lock_;
    std::vector<std::unique_ptr<AnalogInputPin>> inputs_;
    std::vector<std::unique_ptr<AnalogOutputPin>> outputs_;
};

}  // namespace cardsim
