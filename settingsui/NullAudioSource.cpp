#include "NullAudioSource.h"

#include "SimSrcFilter.h"

HRESULT CreateNullAudioSource(const CMediaType& type, IBaseFilter** source)
{
    if (!source)
        return E_POINTER;
    *source = nullptr;
    CSimSrcFilter* filter = nullptr;
    HRESULT hr = CSimSrcFilter::Create(&filter);
    if (FAILED(hr))
        return hr;
    hr = filter->AddMediaType(type);
    if (SUCCEEDED(hr))
        hr = filter->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(source));
    filter->Release();
    return hr;
}
