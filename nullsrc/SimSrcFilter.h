// CSimSrcFilter: a source filter that produces nothing and only offers media types, so a
// downstream filter (an audio compressor) can be connected to a given input type and asked
// about its outputs. It lives inside the application and is never registered.
#pragma once

#include <memory>
#include <vector>

#include "dshowbase/streams.h"

class CSimSrcOutputPin;

class CSimSrcFilter : public CBaseFilter {
public:
    explicit CSimSrcFilter(HRESULT* phr);
    ~CSimSrcFilter() override;

    // A new filter with the caller holding its first reference.
    static HRESULT Create(CSimSrcFilter** ppFilter);

    // Appends a full copy of the type (format block included); before the pin is connected.
    HRESULT AddMediaType(const AM_MEDIA_TYPE& mt);

    int GetPinCount() override { return 1; }
    // Index 0: the output pin, made on the first call; any other index: null.
    CBasePin* GetPin(int n) override;
    const AMOVIESETUP_FILTER* GetSetupData() override { return nullptr; }

    // For the pin, under the filter lock.
    int MediaTypeCount() const { return static_cast<int>(mediaTypes_.size()); }
    const CMediaType& MediaTypeAt(int index) const { return *mediaTypes_[index]; }

private:
    CCritSec lock_;
    std::vector<std::unique_ptr<CMediaType>> mediaTypes_;
    std::unique_ptr<CSimSrcOutputPin> outputPin_;
};
