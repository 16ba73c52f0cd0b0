#include "CardRegistration.h"

#include "dshowbase/streams.h"

#include <string>

#include "CardGuids.h"
#include "CardPages.h"

namespace cardsim {
namespace {

// {A799A801-A46D-11D0-A18C-00A02401DCD4}
constexpr GUID kCrossbarCategory = {0xA799A801, 0xA46D, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0x24, 0x01, 0xDC, 0xD4}};

struct FilterClass {
    const CLSID* clsid;
    const wchar_t* name;
    const GUID* category;
    const wchar_t* description;  // null: none
};

const FilterClass kClasses[] = {
    {&kClsidCaptureFilter, kCaptureFilterName, &CLSID_VideoInputDeviceCategory, kCaptureDescription},
    {&kClsidCrossbar, kCrossbarName, &kCrossbarCategory, nullptr},
};

struct PageClass {
    const CLSID* clsid;
    const wchar_t* name;
};

const PageClass kPages[] = {
    {&kClsidDecoderPage, kDecoderPageName},
    {&kClsidCrossbarPage, kCrossbarPageName},
    {&kClsidStreamFormatPage, kStreamFormatPageName},
};

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(CurrentModuleHandle(), path, MAX_PATH + 1);
    return path;
}

HRESULT WriteDescription(IMoniker* moniker, const wchar_t* description)
{
    IPropertyBag* bag = nullptr;
    HRESULT hr = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag));
    if (FAILED(hr))
        return hr;
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(description);
    hr = value.bstrVal ? bag->Write(L"Description", &value) : E_OUTOFMEMORY;
    VariantClear(&value);
    bag->Release();
    return hr;
}

HRESULT RegisterInCategory(IFilterMapper2* mapper, const FilterClass& filter)
{
    REGFILTER2 data{};
    data.dwVersion = 1;
    data.dwMerit = MERIT_DO_NOT_USE;
    IMoniker* moniker = nullptr;
    HRESULT hr = mapper->RegisterFilter(*filter.clsid, filter.name, &moniker, filter.category,
                                        GuidText(*filter.clsid).c_str(), &data);
    if (SUCCEEDED(hr) && filter.description)
        hr = moniker ? WriteDescription(moniker, filter.description) : E_FAIL;
    if (moniker)
        moniker->Release();
    return hr;
}

class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }

private:
    HRESULT hr_;
};

HRESULT WithMapper(HRESULT (*use)(IFilterMapper2*))
{
    ComScope com;
    IFilterMapper2* mapper = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                  reinterpret_cast<void**>(&mapper));
    if (FAILED(hr))
        return hr;
    hr = use(mapper);
    mapper->Release();
    return hr;
}

}  // namespace

HRESULT RegisterCardFilters()
{
    const std::wstring path = ModulePath();
    for (const FilterClass& filter : kClasses) {
        const HRESULT hr = RegisterServerClass(*filter.clsid, filter.name, path.c_str());
        if (FAILED(hr))
            return hr;
    }
    for (const PageClass& page : kPages) {
        const HRESULT hr = RegisterServerClass(*page.clsid, page.name, path.c_str());
        if (FAILED(hr))
            return hr;
    }
    return WithMapper([](IFilterMapper2* mapper) {
        for (const FilterClass& filter : kClasses) {
            const HRESULT hr = RegisterInCategory(mapper, filter);
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    });
}

HRESULT UnregisterCardFilters()
{
    const HRESULT hr = WithMapper([](IFilterMapper2* mapper) {
        HRESULT first = S_OK;
        for (const FilterClass& filter : kClasses) {
            const HRESULT result =
                mapper->UnregisterFilter(filter.category, GuidText(*filter.clsid).c_str(), *filter.clsid);
            if (SUCCEEDED(first) && FAILED(result))
                first = result;
        }
        return first;
    });
    for (const FilterClass& filter : kClasses)
        UnregisterServerClass(*filter.clsid);
    for (const PageClass& page : kPages)
        UnregisterServerClass(*page.clsid);
    return hr;
}

}  // namespace cardsim
