#include "FilterEntry.h"

#include "ProfileFormat.h"
#include "WideText.h"

using Microsoft::WRL::ComPtr;

bool FilterEntry::IsNull() const
{
    return IsNullDisplayName(displayName);
}

std::wstring NullVideoDisplayName()
{
    return ToWide(profiles::kNullVideoDisplayName);
}

std::wstring NullAudioDisplayName()
{
    return ToWide(profiles::kNullAudioDisplayName);
}

bool IsNullDisplayName(const std::wstring& displayName)
{
    return profiles::IsNullDisplayName(ToUtf16(displayName));
}

HRESULT BindFilterByDisplayName(const std::wstring& displayName, IBaseFilter** filter)
{
    if (!filter)
        return E_POINTER;
    *filter = nullptr;
    if (IsNullDisplayName(displayName))
        return E_FAIL;
    ComPtr<IBindCtx> context;
    HRESULT hr = CreateBindCtx(0, &context);
    if (FAILED(hr))
        return hr;
    ComPtr<IMoniker> moniker;
    ULONG eaten = 0;
    hr = MkParseDisplayName(context.Get(), displayName.c_str(), &eaten, &moniker);
    if (FAILED(hr))
        return hr;
    return moniker->BindToObject(context.Get(), nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
}
