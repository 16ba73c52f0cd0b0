#include "StillFrameStore.h"

#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <exception>

HRESULT StillFrameStore::Accept(const AM_MEDIA_TYPE& type)
{
    Clear();
    if (type.majortype != MEDIATYPE_Video || type.formattype != FORMAT_VideoInfo || !type.pbFormat ||
        type.cbFormat < sizeof(VIDEOINFOHEADER))
        return E_FAIL;
    HRESULT hr = type_.Set(type);
    if (FAILED(hr))
        return hr;
    hasType_ = true;

    const BITMAPINFOHEADER& bits = *Header();
    const uint64_t stride =
        static_cast<uint64_t>(std::llabs((static_cast<int64_t>(bits.biBitCount) * bits.biWidth + 31) / 32 * 4));
    const uint64_t rows = static_cast<uint64_t>(std::llabs(static_cast<int64_t>(bits.biHeight)));
    if (stride != 0 && rows > SIZE_MAX / stride) {
        Clear();
        return E_OUTOFMEMORY;
    }
    bufferSize_ = static_cast<size_t>(stride * rows);
    // A header claiming a frame larger than memory allows gives no store, not a crash.
    try {
        for (auto& buffer : buffers_)
            buffer.assign(bufferSize_, 0);
    } catch (const std::exception&) {  // bad_alloc, or a length beyond the vector's
        Clear();
        return E_OUTOFMEMORY;
    }
    stored_ = 0;
    return S_OK;
}

const BITMAPINFOHEADER* StillFrameStore::Header() const
{
    return hasType_ ? &reinterpret_cast<const VIDEOINFOHEADER*>(type_.pbFormat)->bmiHeader : nullptr;
}

HRESULT StillFrameStore::Append(const BYTE* data, long length)
{
    if (stored_ >= kFrames || !data || !hasType_)
        return E_FAIL;
    const size_t count = length < 0 ? 0 : std::min(static_cast<size_t>(length), bufferSize_);
    std::memcpy(buffers_[stored_].data(), data, count);
    ++stored_;
    return S_OK;
}

void StillFrameStore::Clear()
{
    type_.ResetFormatBuffer();
    hasType_ = false;
    for (auto& buffer : buffers_)
        std::vector<BYTE>().swap(buffer);
    bufferSize_ = 0;
    stored_ = 0;
}
