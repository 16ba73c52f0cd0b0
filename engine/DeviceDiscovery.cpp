#include "DeviceDiscovery.h"

#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

bool ReadBagText(IPropertyBag* bag, const wchar_t* name, std::wstring& text)
{
    VARIANT value;
    VariantInit(&value);
    const bool read = SUCCEEDED(bag->Read(name, &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal;
    if (read)
        text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return read;
}

namespace {

// "Description" when the device has one, else "FriendlyName".
bool DeviceName(IMoniker* moniker, std::wstring& name)
{
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag))))
        return false;
    return ReadBagText(bag.Get(), L"Description", name) || ReadBagText(bag.Get(), L"FriendlyName", name);
}

}  // namespace

HRESULT FindCardCaptureFilter(IBaseFilter** filter)
{
    if (!filter)
        return E_POINTER;
    *filter = nullptr;
    ComPtr<ICreateDevEnum> devices;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&devices));
    if (FAILED(hr))
        return hr;
    ComPtr<IEnumMoniker> monikers;
    hr = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    if (hr != S_OK)
        return FAILED(hr) ? hr : E_FAIL;

    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        std::wstring name;
        if (DeviceName(moniker.Get(), name) && name == kCardDeviceName)
            return moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
    }
    return E_FAIL;
}
