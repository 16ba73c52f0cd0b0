#include "MuxSettingsStream.h"

#include "MuxSettingsBlock.h"

HRESULT WriteMuxSettings(IStream* stream, const trelvox::MuxSettings& settings)
{
    const auto block = trelvox::MuxSettingsBlock(settings);
    const ULONG blockBytes = static_cast<ULONG>(block.size());
    ULONG written = 0;
    const HRESULT hr = stream->Write(block.data(), blockBytes, &written);
    if (FAILED(hr))
        return hr;
    return written == blockBytes ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadMuxSettings(IStream* stream, trelvox::MuxSettings* settings)
{
    std::array<uint8_t, trelvox::kMuxSettingsBytes> block{};
    ULONG read = 0;
    const HRESULT hr = stream->Read(block.data(), static_cast<ULONG>(block.size()), &read);
    if (FAILED(hr))
        return hr;
    return trelvox::MuxSettingsFromBlock(block.data(), read, settings) ? S_OK : VFW_E_INVALID_FILE_FORMAT;
}
