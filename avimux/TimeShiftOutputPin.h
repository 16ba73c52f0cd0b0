// "~Video" and "~Audio": output pins for playing back what is being recorded. They
// offer the type of the matching input pin's connection. Playback is not built yet:
// a connected pin delivers nothing.
#pragma once

#include "dshowbase/streams.h"
#include "MuxTypes.h"

class MuxBaseFilter;

class TimeShiftOutputPin : public CBaseOutputPin {
public:
    TimeShiftOutputPin(MuxBaseFilter* filter, CCritSec* lock, HRESULT* phr, trelvox::StreamKind stream);

    // Position 0 only: the connection type of the matching input pin, with the frame
    // duration or audio rate override when that and the playback type override are on.
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    // Only that type; else E_INVALIDARG.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    // One buffer as large as the input pin's.
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest) override;

private:
    CBaseInputPin* MatchingInput() const;
    // False while the matching input is not connected.
    bool PlaybackType(CMediaType* type) const;

    MuxBaseFilter* const m_mux;
    const trelvox::StreamKind m_stream;
};
