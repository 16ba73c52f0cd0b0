#include "DeviceLists.h"

#include "DeviceDiscovery.h"
#include "SignalFormat.h"

#include "dshowbase/MediaType.h"
#include "dshowbase/TaskMemory.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

bool FriendlyNameOf(IMoniker* moniker, std::wstring& name)
{
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag))))
        return false;
    return ReadBagText(bag.Get(), L"FriendlyName", name);
}

void AppendNamed(IEnumMoniker* monikers, std::vector<FilterEntry>& entries)
{
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        FilterEntry entry;
        if (!FriendlyNameOf(moniker.Get(), entry.friendlyName))
            continue;
        CTaskMemory<OLECHAR> displayName;
        if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, displayName.Out())) && displayName)
            entry.displayName = displayName.Get();
        entry.moniker = moniker;
        entries.push_back(std::move(entry));
    }
}

bool MatchesRow(const AM_MEDIA_TYPE* type, const engine::SignalFormat& row, bool withDuration)
{
    if (type->majortype != MEDIATYPE_Video || type->formattype != FORMAT_VideoInfo || !type->pbFormat ||
        type->cbFormat < sizeof(VIDEOINFOHEADER))
        return false;
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
    return std::abs(info->bmiHeader.biWidth) == row.width && std::abs(info->bmiHeader.biHeight) == row.height &&
           info->bmiHeader.biCompression == row.fourcc && (!withDuration || info->AvgTimePerFrame == row.frameDuration);
}

// The first capability that matches the row: exactly, or else at any frame duration.
HRESULT ApplyFormatToPin(IAMStreamConfig* config, const engine::SignalFormat& row)
{
    int count = 0, size = 0;
    HRESULT hr = config->GetNumberOfCapabilities(&count, &size);
    if (FAILED(hr))
        return hr;
    std::vector<BYTE> caps(size > 0 ? size : 1);
    CMediaType chosen;
    for (bool withDuration : {true, false}) {
        for (int i = 0; i < count && !chosen.IsValid(); ++i) {
            AM_MEDIA_TYPE* offered = nullptr;
            if (FAILED(config->GetStreamCaps(i, &offered, caps.data())) || !offered)
                continue;
            CMediaType type;
            type.Adopt(offered);
            if (MatchesRow(&type, row, withDuration) && FAILED(hr = chosen.Set(type)))
                return hr;
        }
        if (chosen.IsValid())
            break;
    }
    if (!chosen.IsValid())
        return E_FAIL;
    reinterpret_cast<VIDEOINFOHEADER*>(chosen.pbFormat)->AvgTimePerFrame = row.frameDuration;
    return config->SetFormat(&chosen);
}

}  // namespace

HRESULT ListDevices(const CLSID& category, std::vector<FilterEntry>& entries)
{
    ComPtr<ICreateDevEnum> devices;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&devices));
    if (FAILED(hr))
        return hr;
    ComPtr<IEnumMoniker> monikers;
    hr = devices->CreateClassEnumerator(category, &monikers, 0);
    if (hr != S_OK)
        return E_FAIL;
    AppendNamed(monikers.Get(), entries);
    return S_OK;
}

HRESULT ListMatchingFilters(const std::vector<GUID>& inputTypes, const std::vector<GUID>& outputTypes,
                            std::vector<FilterEntry>& entries)
{
    ComPtr<IFilterMapper2> mapper;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mapper));
    if (FAILED(hr))
        return hr;
    ComPtr<IEnumMoniker> monikers;
    hr = mapper->EnumMatchingFilters(&monikers, 0, TRUE, MERIT_DO_NOT_USE, TRUE,
                                     static_cast<DWORD>(inputTypes.size() / 2), inputTypes.data(), nullptr, nullptr,
                                     FALSE, TRUE, static_cast<DWORD>(outputTypes.size() / 2), outputTypes.data(),
                                     nullptr, nullptr);
    if (hr != S_OK || !monikers)
        return E_FAIL;
    AppendNamed(monikers.Get(), entries);
    return S_OK;
}

HRESULT BindFilterEntry(const FilterEntry& entry, IBaseFilter** filter)
{
    if (!filter)
        return E_POINTER;
    *filter = nullptr;
    if (entry.IsNull())
        return E_FAIL;
    if (entry.moniker)
        return entry.moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
    return BindFilterByDisplayName(entry.displayName, filter);
}

HRESULT ApplyFormatToPins(ICaptureGraphBuilder2* builder, IBaseFilter* captureFilter, int format)
{
    if (!builder || !captureFilter || format < 0 || format >= engine::kSignalFormatCount)
        return E_FAIL;
    const engine::SignalFormat& row = engine::SignalFormatRow(format);
    for (const GUID* category : {&PIN_CATEGORY_PREVIEW, &PIN_CATEGORY_CAPTURE}) {
        ComPtr<IAMStreamConfig> config;
        const HRESULT hr = builder->FindInterface(category, &MEDIATYPE_Video, captureFilter, IID_IAMStreamConfig,
                                                  reinterpret_cast<void**>(config.GetAddressOf()));
        if (FAILED(hr))
            return hr;
        ApplyFormatToPin(config.Get(), row);
    }
    return S_OK;
}
