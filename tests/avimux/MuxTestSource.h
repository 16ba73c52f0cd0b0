// A capture-like source for the multiplexer: a YUY2 video pin and a 48 kHz stereo
// PCM pin, both pushing stamped samples as fast as they are taken.
#pragma once

#include "dshowbase/streams.h"

constexpr REFERENCE_TIME kNtscFrame = 333667;  // 29.97 frames per second
constexpr LONG kAudioFramesPerBuffer = 1600;   // 1/30 s at 48 kHz
constexpr LONG kAudioBlockAlign = 4;           // 16-bit stereo

CMediaType MakeYuy2Type(LONG width, LONG height, REFERENCE_TIME frameDuration);
CMediaType MakePcmType();
// Sample `index`'s data: for video a grey picture whose brightness follows the frame
// number, for audio a quiet square wave.
void PaintTestSample(bool video, BYTE* data, LONG length, LONG index);
// Asks the allocator for at least `minimumCount` buffers of the type's sample size.
HRESULT RequestSampleBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request, long minimumCount,
                             const CMediaType& type);

struct StreamPlan {
    bool enabled = true;
    int count = 30;               // samples before end of stream; -1 for no end
    int unstampedFrom = -1;       // samples from this index on carry no time stamp
    double stampScale = 1.0;      // time stamps advance by this many sample durations
    bool pacedByAudio = false;    // video: sample i waits until audio delivered i + 1 buffers
    bool untimedType = false;     // video: the type's AvgTimePerFrame is 0; stamps still at 29.97
    bool startTimesOnly = false;  // stamps without a stop time
};

class MuxTestStream : public CSourceStream {
public:
    MuxTestStream(HRESULT* phr, CSource* filter, LPCWSTR name, const CMediaType& type, const StreamPlan& plan);

    int Delivered() const { return delivered_; }
    // The result the first refused delivery gave (S_OK while none was refused).
    HRESULT FirstRefusal() const { return refusal_; }

protected:
    HRESULT GetMediaType(CMediaType* pMediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest) override;
    HRESULT FillBuffer(IMediaSample* pSample) override;
    HRESULT OnThreadCreate() override;
    HRESULT Deliver(IMediaSample* pSample) override;

private:
    REFERENCE_TIME SampleDuration() const;

    friend class MuxTestSource;

    CMediaType type_;
    StreamPlan plan_;
    const MuxTestStream* leader_ = nullptr;  // keeps one sample ahead
    LONG next_ = 0;
    volatile LONG delivered_ = 0;
    volatile HRESULT refusal_ = S_OK;
};

class MuxTestSource : public CSource {
public:
    // Pins "Video" (when the plan enables it) and "Audio" (likewise).
    static MuxTestSource* Create(LONG width, LONG height, const StreamPlan& video, const StreamPlan& audio);

    MuxTestStream* Video() const { return video_; }
    MuxTestStream* Audio() const { return audio_; }

private:
    explicit MuxTestSource(HRESULT* phr);

    MuxTestStream* video_ = nullptr;
    MuxTestStream* audio_ = nullptr;
};
