#include "Registration.h"

#include <objbase.h>
#include <uuids.h>

#include <string>

namespace {

std::wstring ClassKeyPath(REFCLSID clsid)
{
    WCHAR text[40] = {};
    StringFromGUID2(clsid, text, 40);
    return std::wstring(L"CLSID\\") + text;
}

HRESULT SetStringValue(HKEY key, LPCWSTR pValueName, LPCWSTR pText)
{
    const DWORD bytes = static_cast<DWORD>((wcslen(pText) + 1) * sizeof(WCHAR));
    const LONG error = RegSetValueExW(key, pValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pText), bytes);
    return HRESULT_FROM_WIN32(error);
}

HRESULT CreateKeyWithDefault(HKEY parent, const std::wstring& path, LPCWSTR pDefault, HKEY* pKey)
{
    const LONG error =
        RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, pKey, nullptr);
    if (error != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(error);
    const HRESULT hr = SetStringValue(*pKey, nullptr, pDefault);
    if (FAILED(hr)) {
        RegCloseKey(*pKey);
        *pKey = nullptr;
    }
    return hr;
}

bool IsMissing(HRESULT hr)
{
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// COM for the duration of one registration call.
class ComScope {
public:
    ComScope() : m_hr(CoInitialize(nullptr)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

template <class Interface>
HRESULT CreateMapper(REFCLSID clsid, REFIID iid, Interface** pp)
{
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(pp));
}

HRESULT RegisterWithMapper1(IFilterMapper* pMapper, const AMOVIESETUP_FILTER* pSetup)
{
    HRESULT hr = pMapper->RegisterFilter(*pSetup->clsID, pSetup->strName, pSetup->dwMerit);
    for (UINT i = 0; SUCCEEDED(hr) && i < pSetup->nPins; ++i) {
        const AMOVIESETUP_PIN& pin = pSetup->lpPin[i];
        hr = pMapper->RegisterPin(*pSetup->clsID, pin.strName, pin.bRendered, pin.bOutput, pin.bZero, pin.bMany,
                                  pin.clsConnectsToFilter ? *pin.clsConnectsToFilter : CLSID_NULL,
                                  const_cast<LPWSTR>(pin.strConnectsToPin));
        for (UINT t = 0; SUCCEEDED(hr) && t < pin.nMediaTypes; ++t) {
            const AMOVIESETUP_MEDIATYPE& type = pin.lpMediaType[t];
            hr = pMapper->RegisterPinType(*pSetup->clsID, pin.strName,
                                          type.clsMajorType ? *type.clsMajorType : GUID_NULL,
                                          type.clsMinorType ? *type.clsMinorType : GUID_NULL);
        }
    }
    if (FAILED(hr))
        pMapper->UnregisterFilter(*pSetup->clsID);
    return hr;
}

}  // namespace

HRESULT RegisterServerClass(REFCLSID clsid, LPCWSTR pName, LPCWSTR pModulePath, LPCWSTR pThreadingModel)
{
    if (!pName || !pModulePath)
        return E_POINTER;
    HKEY classKey = nullptr;
    HRESULT hr = CreateKeyWithDefault(HKEY_CLASSES_ROOT, ClassKeyPath(clsid), pName, &classKey);
    if (FAILED(hr))
        return hr;
    HKEY serverKey = nullptr;
    hr = CreateKeyWithDefault(classKey, L"InprocServer32", pModulePath, &serverKey);
    if (SUCCEEDED(hr)) {
        if (pThreadingModel)
            hr = SetStringValue(serverKey, L"ThreadingModel", pThreadingModel);
        RegCloseKey(serverKey);
    }
    RegCloseKey(classKey);
    return hr;
}

HRESULT UnregisterServerClass(REFCLSID clsid)
{
    const LONG error = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKeyPath(clsid).c_str());
    const HRESULT hr = HRESULT_FROM_WIN32(error);
    return IsMissing(hr) ? S_OK : hr;
}

HRESULT RegisterFilterSetup(const AMOVIESETUP_FILTER* pSetup, REFCLSID category)
{
    if (!pSetup || !pSetup->clsID)
        return E_POINTER;
    ComScope com;
    IFilterMapper2* pMapper2 = nullptr;
    HRESULT hr = CreateMapper(CLSID_FilterMapper2, IID_IFilterMapper2, &pMapper2);
    if (SUCCEEDED(hr)) {
        REGFILTER2 rf2{};
        rf2.dwVersion = 1;
        rf2.dwMerit = pSetup->dwMerit;
        rf2.cPins = pSetup->nPins;
        rf2.rgPins = pSetup->lpPin;
        hr = pMapper2->RegisterFilter(*pSetup->clsID, pSetup->strName, nullptr, &category, nullptr, &rf2);
        pMapper2->Release();
        return hr;
    }
    IFilterMapper* pMapper = nullptr;
    hr = CreateMapper(CLSID_FilterMapper, IID_IFilterMapper, &pMapper);
    if (FAILED(hr))
        return hr;
    hr = RegisterWithMapper1(pMapper, pSetup);
    pMapper->Release();
    return hr;
}

HRESULT UnregisterFilterSetup(REFCLSID clsid, REFCLSID category)
{
    ComScope com;
    IFilterMapper2* pMapper2 = nullptr;
    HRESULT hr = CreateMapper(CLSID_FilterMapper2, IID_IFilterMapper2, &pMapper2);
    if (SUCCEEDED(hr)) {
        hr = pMapper2->UnregisterFilter(&category, nullptr, clsid);
        pMapper2->Release();
    } else {
        IFilterMapper* pMapper = nullptr;
        hr = CreateMapper(CLSID_FilterMapper, IID_IFilterMapper, &pMapper);
        if (FAILED(hr))
            return hr;
        hr = pMapper->UnregisterFilter(clsid);
        pMapper->Release();
    }
    return IsMissing(hr) ? S_OK : hr;
}
