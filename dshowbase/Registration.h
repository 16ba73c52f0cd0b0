// Registration of COM classes (CLSID keys) and of filters with the filter mapper.
#pragma once

#include <windows.h>
#include <strmif.h>

// Filter registration data, as the filter mapper takes it.
typedef REGPINTYPES AMOVIESETUP_MEDIATYPE;
typedef REGFILTERPINS AMOVIESETUP_PIN;
struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    const WCHAR* strName;
    DWORD dwMerit;
    UINT nPins;
    const AMOVIESETUP_PIN* lpPin;
};

// HKCR\CLSID\{clsid} with the name, and its InprocServer32 key with the module
// path and the threading model.
HRESULT RegisterServerClass(REFCLSID clsid, LPCWSTR pName, LPCWSTR pModulePath, LPCWSTR pThreadingModel = L"Both");
// Deletes HKCR\CLSID\{clsid} with its subkeys; a missing key is success.
HRESULT UnregisterServerClass(REFCLSID clsid);

// Registers a filter in a category through IFilterMapper2, or IFilterMapper when
// the newer mapper cannot be created. Initialises COM on the calling thread for the call.
HRESULT RegisterFilterSetup(const AMOVIESETUP_FILTER* pSetup, REFCLSID category);
// Removes a filter from a category; a filter that is not registered is success.
HRESULT UnregisterFilterSetup(REFCLSID clsid, REFCLSID category);
