#include "NullAudioSource.h"

// Waits for the null source filter: until then no compressor can be probed.
HRESULT CreateNullAudioSource(const CMediaType&, IBaseFilter** source)
{
    if (source)
        *source = nullptr;
    return E_NOTIMPL;
}
