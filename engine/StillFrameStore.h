// The two consecutive preview frames a still image is made from.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "dshowbase/MediaType.h"

#include <cstdint>
#include <vector>

class StillFrameStore {
public:
    StillFrameStore() = default;
    StillFrameStore(const StillFrameStore&) = delete;
    StillFrameStore& operator=(const StillFrameStore&) = delete;
    ~StillFrameStore() { Clear(); }

    // Takes the grabber's connected type; only VIDEOINFOHEADER video is accepted.
    HRESULT Accept(const AM_MEDIA_TYPE& type);
    HRESULT Append(const BYTE* data, long length);
    int Remaining() const { return kFrames - stored_; }
    void Empty() { stored_ = 0; }
    void Clear();

    const AM_MEDIA_TYPE* MediaType() const { return hasType_ ? &type_ : nullptr; }
    const BITMAPINFOHEADER* Header() const;
    size_t BufferSize() const { return bufferSize_; }
    const std::vector<BYTE>& Frame(int n) const { return buffers_[n]; }

    static constexpr int kFrames = 2;

private:
    CMediaType type_;
    bool hasType_ = false;
    std::vector<BYTE> buffers_[kFrames];
    size_t bufferSize_ = 0;
    int stored_ = 0;
};
