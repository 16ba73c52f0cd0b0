#include "registration.h"

#include <dshow.h>

#include <string>

#include "card_guids.h"

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

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ModulePath()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModulePath), &module);
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(module, path, MAX_PATH + 1);
    return path;
}

HRESULT SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    const LSTATUS status = RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

HRESULT RegisterComClass(const FilterClass& filter, const std::wstring& modulePath)
{
    const std::wstring key = L"CLSID\\" + GuidText(*filter.clsid);
    HRESULT hr = SetText(key, nullptr, filter.name);
    if (SUCCEEDED(hr))
        hr = SetText(key + L"\\InprocServer32", nullptr, modulePath);
    if (SUCCEEDED(hr))
        hr = SetText(key + L"\\InprocServer32", L"ThreadingModel", L"Both");
    return hr;
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
        const HRESULT hr = RegisterComClass(filter, path);
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
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(*filter.clsid)).c_str());
    return hr;
}

}  // namespace cardsim
