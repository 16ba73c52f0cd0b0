// The filter the graph sees: four pins, and Pause/Stop that prepare and finish a
// recording of its MuxFilter. Events of the recording go to the graph from here.
#pragma once

#include <memory>

#include "dshowbase/streams.h"
#include "MuxTypes.h"

class MuxFilter;
class MuxInputPin;
class TimeShiftOutputPin;

class MuxBaseFilter : public CBaseFilter, public trelvox::MuxEventSink {
public:
    // owner: the MuxFilter's controlling unknown; lock: the filter lock.
    MuxBaseFilter(MuxFilter* mux, LPUNKNOWN owner, CCritSec* lock, HRESULT* phr);
    ~MuxBaseFilter() override;

    // "Video", "Audio", "~Video", "~Audio".
    int GetPinCount() override { return 4; }
    CBasePin* GetPin(int n) override;

    STDMETHODIMP Pause() override;
    STDMETHODIMP Stop() override;
    const AMOVIESETUP_FILTER* GetSetupData() override;

    // The recording's events: EC_COMPLETE, EC_ERRORABORT, all files full.
    void Notify(int32_t code, intptr_t param1, intptr_t param2) override;

    MuxInputPin* InputPin(trelvox::StreamKind stream) const;
    TimeShiftOutputPin* OutputPin(trelvox::StreamKind stream) const;
    MuxFilter* Mux() const { return mux_; }

private:
    MuxFilter* const mux_;
    std::unique_ptr<MuxInputPin> videoIn_;
    std::unique_ptr<MuxInputPin> audioIn_;
    std::unique_ptr<TimeShiftOutputPin> videoOut_;
    std::unique_ptr<TimeShiftOutputPin> audioOut_;
};
