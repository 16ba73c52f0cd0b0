#include "VideoCaptureSampleGrabberCB.h"

#include "SampleTimes.h"

STDMETHODIMP CVideoCaptureSampleGrabberCB::SampleCB(double, IMediaSample* sample)
{
    std::lock_guard guard(lock_);
    if (!sample)
        return E_FAIL;
    const SampleTimes times = ReadSampleTimes(sample);
    counters_.Record(times.start, times.end, times.mediaStart, times.mediaEnd);
    return S_OK;
}

void CVideoCaptureSampleGrabberCB::Reset()
{
    std::lock_guard guard(lock_);
    counters_.Reset();
}

int64_t CVideoCaptureSampleGrabberCB::SampleCount()
{
    std::lock_guard guard(lock_);
    return counters_.samples;
}

engine::StreamCounters CVideoCaptureSampleGrabberCB::Counters()
{
    std::lock_guard guard(lock_);
    return counters_;
}
