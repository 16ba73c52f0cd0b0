// The routes through the card's crossbars, from the capture filter's analog
// video input out to each physical video connector.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <list>
#include <memory>
#include <vector>

struct CrossbarHop {
    LONG videoInput;
    LONG videoOutput;
    LONG audioInput;   // -1 when none
    LONG audioOutput;  // -1 when none
    Microsoft::WRL::ComPtr<IAMCrossbar> crossbar;
    LONG inputPhysicalType;
    LONG outputPhysicalType;
    LONG depth;  // 0 next to the capture filter
};

class CCrossbarPath {
public:
    // Walks every crossbar upstream of `analogVideoInput`; `result` gets E_FAIL
    // when the pin does not lead to a crossbar.
    CCrossbarPath(IPin* analogVideoInput, HRESULT* result);

    int GetChainCount() const { return static_cast<int>(chains_.size()); }
    HRESULT GetInputType(int chain, LONG* physicalType) const;
    HRESULT RouteChain(int chain);
    int GetCurrentChain() const { return current_; }
    // 1 routes the input after the first audio input, 2 the one after the second.
    HRESULT SelectAudioInput(int index);

private:
    using Chain = std::vector<CrossbarHop>;

    HRESULT Walk(IPin* pin, LONG depth, Chain& chain);

    Microsoft::WRL::ComPtr<IPin> analogVideoInput_;
    std::list<Chain> chains_;
    int current_ = -1;
};

// The capture filter's first input pin of PIN_CATEGORY_ANALOGVIDEOIN.
HRESULT FindAnalogVideoInput(IBaseFilter* captureFilter, IPin** pin);

// Builds the routing object on the capture filter's analog video input.
HRESULT BuildCrossbarPath(IBaseFilter* captureFilter, std::unique_ptr<CCrossbarPath>& path);
