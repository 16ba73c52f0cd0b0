#include "CardDecoder.h"
#include "DShowUuids.h"

#include "SignalFormat.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IAMAnalogVideoDecoder> DecoderOf(IBaseFilter* captureFilter)
{
    ComPtr<IAMAnalogVideoDecoder> decoder;
    if (captureFilter)
        captureFilter->QueryInterface(IID_PPV_ARGS(&decoder));
    return decoder;
}

}  // namespace

int ReadInputFormat(IBaseFilter* captureFilter)
{
    ComPtr<IAMAnalogVideoDecoder> decoder = DecoderOf(captureFilter);
    if (!decoder)
        return engine::kNoSignal;
    // Read all of the decoder's state as the card's driver expects; only the
    // lock and the line count carry the input format.
    long tvFormat = 0, locked = 0, lines = 0, outputEnable = 0, vcrLocking = 0;
    decoder->get_TVFormat(&tvFormat);
    decoder->get_HorizontalLocked(&locked);
    decoder->get_NumberOfLines(&lines);
    decoder->get_OutputEnable(&outputEnable);
    decoder->get_VCRHorizontalLocking(&vcrLocking);
    return engine::FormatFromDecoderReadings(locked, lines);
}

HRESULT ResetDecoder(IBaseFilter* captureFilter)
{
    ComPtr<IAMAnalogVideoDecoder> decoder = DecoderOf(captureFilter);
    if (!decoder)
        return E_FAIL;
    return decoder->put_TVFormat(AnalogVideo_NTSC_M_J);
}
