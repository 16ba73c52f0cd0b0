// Plain types shared by the multiplexer core and the filter shell around it.
// No platform headers: result codes and event codes are plain integers.
#pragma once

#include <cstdint>

namespace trelvox {

using HResult = int32_t;

constexpr bool Failed(HResult hr)
{
    return hr < 0;
}
constexpr bool Succeeded(HResult hr)
{
    return hr >= 0;
}

constexpr HResult kS_OK = 0;
constexpr HResult kS_FALSE = 1;
constexpr HResult kE_NOTIMPL = static_cast<HResult>(0x80004001);
constexpr HResult kE_POINTER = static_cast<HResult>(0x80004003);
constexpr HResult kE_FAIL = static_cast<HResult>(0x80004005);
constexpr HResult kE_UNEXPECTED = static_cast<HResult>(0x8000FFFF);
constexpr HResult kE_OUTOFMEMORY = static_cast<HResult>(0x8007000E);
constexpr HResult kE_INVALIDARG = static_cast<HResult>(0x80070057);
constexpr HResult kVFW_E_FILTER_ACTIVE = static_cast<HResult>(0x80040205);
constexpr HResult kVFW_E_TYPE_NOT_ACCEPTED = static_cast<HResult>(0x8004022A);
constexpr HResult kVFW_E_SAMPLE_TIME_NOT_SET = static_cast<HResult>(0x80040249);
constexpr HResult kVFW_E_MEDIA_TIME_NOT_SET = static_cast<HResult>(0x80040251);

constexpr uint32_t kErrorInvalidName = 123;         // ERROR_INVALID_NAME
constexpr uint32_t kErrorFilenameExcedRange = 206;  // ERROR_FILENAME_EXCED_RANGE

// 0x80070000 | (code & 0xFFFF), as Win32 errors travel.
constexpr HResult HResultFromWin32(uint32_t code)
{
    return code == 0 ? kS_OK : static_cast<HResult>(0x80070000u | (code & 0xFFFFu));
}

// Graph events raised by the multiplexer.
constexpr int32_t kEcComplete = 0x01;     // EC_COMPLETE, parameter 1 = S_OK
constexpr int32_t kEcErrorAbort = 0x03;   // EC_ERRORABORT, parameter 1 = the failure
constexpr int32_t kEcFilesFull = 0x8001;  // all files of a set are full, parameter 1 = 1

// One media sample as an input pin delivers it.
struct MuxSample {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    bool hasTime = false;  // start/stop valid
    int64_t start = 0;
    int64_t stop = 0;
    bool hasMediaTime = false;  // mediaStart/mediaStop valid
    int64_t mediaStart = 0;
    int64_t mediaStop = 0;
    bool syncPoint = false;
    bool discontinuity = false;  // passed along; the multiplexer does not act on it
};

enum class StreamKind { Video, Audio };

// Where the core reports what happened to a recording: called on a pin's streaming
// thread (inside Receive) or on the writer thread. It must not call back into the core.
class MuxEventSink {
public:
    virtual ~MuxEventSink() = default;
    virtual void Notify(int32_t code, intptr_t param1, intptr_t param2) = 0;
};

}  // namespace trelvox
