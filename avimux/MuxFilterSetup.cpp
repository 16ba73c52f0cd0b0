#include "MuxFilterSetup.h"

#include <iterator>

#include "MuxGuids.h"

namespace {

const AMOVIESETUP_MEDIATYPE kVideoType = {&MEDIATYPE_Video, &GUID_NULL};
const AMOVIESETUP_MEDIATYPE kAudioType = {&MEDIATYPE_Audio, &GUID_NULL};

// Unnamed, not rendered, exactly one each, one media type.
constexpr AMOVIESETUP_PIN Pin(BOOL output, const AMOVIESETUP_MEDIATYPE* type)
{
    return {const_cast<LPWSTR>(L""), FALSE, output, FALSE, FALSE, &CLSID_NULL, nullptr, 1, type};
}

const AMOVIESETUP_PIN kPins[] = {
    Pin(FALSE, &kVideoType),
    Pin(FALSE, &kAudioType),
    Pin(TRUE, &kVideoType),
    Pin(TRUE, &kAudioType),
};

}  // namespace

const AMOVIESETUP_FILTER kMuxFilterSetup = {&CLSID_PelkorAviMux, L"Pelkor AVI Mux", MERIT_DO_NOT_USE,
                                            static_cast<UINT>(std::size(kPins)), kPins};
