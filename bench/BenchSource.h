// An unthrottled capture-like source for write benchmarks: a YUY2 video pin and a
// 48 kHz stereo PCM pin that push stamped samples as fast as they are taken.
// Each buffer is painted once; later frames only rewrite their first line, so the
// source costs little next to the writer it feeds.
#pragma once

#include <set>

#include "dshowbase/streams.h"

class BenchStream : public CSourceStream {
public:
    BenchStream(HRESULT* phr, CSource* filter, LPCWSTR name, const CMediaType& type, int count);

protected:
    HRESULT GetMediaType(CMediaType* pMediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest) override;
    HRESULT OnThreadCreate() override;
    HRESULT FillBuffer(IMediaSample* pSample) override;

private:
    bool IsVideo() const;
    REFERENCE_TIME SampleDuration() const;
    void Paint(BYTE* data, LONG length, LONG index) const;

    CMediaType m_type;
    int m_count;
    LONG m_next = 0;
    std::set<BYTE*> m_painted;
};

class BenchSource : public CSource {
public:
    // "Video" with videoFrames 1920x1080 frames at 29.97 fps and "Audio" with
    // audioBuffers buffers of 1/30 s.
    static BenchSource* Create(int videoFrames, int audioBuffers);

private:
    explicit BenchSource(HRESULT* phr);
};
