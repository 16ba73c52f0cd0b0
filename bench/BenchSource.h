// A capture-like source for write benchmarks: a YUY2 video pin and a 48 kHz stereo
// PCM pin that push stamped samples, either as fast as they are taken or paced by the
// graph's clock as a live source. Each buffer is painted once; later frames only
// rewrite their first line, so the source costs little next to the writer it feeds.
#pragma once

#include <set>

#include "dshowbase/streams.h"
#include "StreamPacer.h"

class BenchStream : public CSourceStream {
public:
    BenchStream(HRESULT* phr, CSource* filter, LPCWSTR name, const CMediaType& type, int count, bool paced);

    // Paced: takes the graph's clock and start time.
    HRESULT Run(REFERENCE_TIME tStart) override;

protected:
    HRESULT GetMediaType(CMediaType* pMediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest) override;
    HRESULT OnThreadCreate() override;
    HRESULT FillBuffer(IMediaSample* pSample) override;

private:
    bool IsVideo() const;
    REFERENCE_TIME SampleDuration() const;
    void Paint(BYTE* data, LONG length, LONG index) const;
    // Paced: waits for the next sample's time; S_FALSE when the thread is asked to stop.
    HRESULT AwaitNextSample();

    CMediaType type_;
    int count_;
    bool paced_;
    StreamPacer pacer_;
    LONG next_ = 0;
    std::set<BYTE*> painted_;
};

class BenchSource : public CSource {
public:
    // "Video" with videoFrames 1920x1080 frames at 29.97 fps and "Audio" with
    // audioBuffers buffers of 1/30 s. Paced, each sample waits for its stream time, and a
    // video frame whose whole period passed before it had a buffer is skipped, as a card
    // with no free buffer loses it (the multiplexer counts it as dropped).
    static BenchSource* Create(int videoFrames, int audioBuffers, bool paced = false);

    // Paced, a live source: it delivers nothing while paused, so the graph must not wait
    // for its renderers to cue.
    STDMETHODIMP GetState(DWORD dwMSecs, FILTER_STATE* State) override;

private:
    BenchSource(HRESULT* phr, bool paced);

    bool paced_;
};
