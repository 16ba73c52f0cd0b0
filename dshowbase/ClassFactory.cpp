#include "ClassFactory.h"

#include <new>
#include <vector>

CClassFactory::CClassFactory(const CFactoryTemplate* pTemplate) : CBaseObject(L"Class Factory"), m_pTemplate(pTemplate)
{
}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    CheckPointer(ppv, E_POINTER);
    if (riid == IID_IUnknown || riid == IID_IClassFactory)
        return GetInterface(static_cast<IClassFactory*>(this), ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CClassFactory::Release()
{
    const LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CClassFactory::CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** pv)
{
    CheckPointer(pv, E_POINTER);
    *pv = nullptr;
    if (pUnkOuter && riid != IID_IUnknown)
        return E_NOINTERFACE;

    HRESULT hr = S_OK;
    CUnknown* pObject = m_pTemplate->CreateInstance(pUnkOuter, &hr);
    if (!pObject)
        return FAILED(hr) ? hr : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        delete pObject;
        return hr;
    }
    pObject->NonDelegatingAddRef();
    hr = pObject->NonDelegatingQueryInterface(riid, pv);
    pObject->NonDelegatingRelease();
    return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock)
{
    CBaseObject::LockServer(fLock != FALSE);
    return S_OK;
}

HRESULT FactoryGetClassObject(const CFactoryTemplate* pTemplates, size_t count, REFCLSID rClsID, REFIID riid, void** pv)
{
    CheckPointer(pv, E_POINTER);
    *pv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory)
        return E_NOINTERFACE;
    for (size_t i = 0; i < count; ++i) {
        if (!pTemplates[i].IsClassID(rClsID))
            continue;
        auto* pFactory = new (std::nothrow) CClassFactory(&pTemplates[i]);
        if (!pFactory)
            return E_OUTOFMEMORY;
        pFactory->AddRef();
        const HRESULT hr = pFactory->QueryInterface(riid, pv);
        pFactory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT FactoryCanUnloadNow()
{
    return CBaseObject::ObjectsActive() == 0 && CBaseObject::ServerLocks() == 0 ? S_OK : S_FALSE;
}

void FactoryInitRoutines(const CFactoryTemplate* pTemplates, size_t count, BOOL bLoading)
{
    for (size_t i = 0; i < count; ++i) {
        if (pTemplates[i].m_lpfnInit)
            pTemplates[i].m_lpfnInit(bLoading, pTemplates[i].m_ClsID);
    }
}

namespace {

HRESULT ModulePath(std::vector<WCHAR>& path)
{
    path.assign(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(CurrentModuleHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return HRESULT_FROM_WIN32(GetLastError());
        if (length < path.size())
            return S_OK;
        path.resize(path.size() * 2);
    }
}

}  // namespace

HRESULT FactoryRegisterServer(const CFactoryTemplate* pTemplates, size_t count, REFCLSID category)
{
    std::vector<WCHAR> path;
    HRESULT hr = ModulePath(path);
    if (FAILED(hr))
        return hr;
    for (size_t i = 0; i < count; ++i) {
        hr = RegisterServerClass(*pTemplates[i].m_ClsID, pTemplates[i].m_Name, path.data(), L"Both");
        if (FAILED(hr))
            return hr;
    }
    for (size_t i = 0; i < count; ++i) {
        if (!pTemplates[i].m_pAMovieSetup_Filter)
            continue;
        hr = RegisterFilterSetup(pTemplates[i].m_pAMovieSetup_Filter, category);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT FactoryUnregisterServer(const CFactoryTemplate* pTemplates, size_t count, REFCLSID category)
{
    HRESULT result = S_OK;
    for (size_t i = 0; i < count; ++i) {
        if (!pTemplates[i].m_pAMovieSetup_Filter)
            continue;
        const HRESULT hr = UnregisterFilterSetup(*pTemplates[i].m_ClsID, category);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    for (size_t i = 0; i < count; ++i) {
        const HRESULT hr = UnregisterServerClass(*pTemplates[i].m_ClsID);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    return result;
}
