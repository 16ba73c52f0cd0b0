// The class factory table of a COM server and the helpers its exports forward to:
//
//   const CFactoryTemplate g_Templates[] = {{L"My Filter", &CLSID_MyFilter, CMyFilter::CreateInstance,
//                                            nullptr, &sudMyFilter}};
//   STDAPI DllGetClassObject(REFCLSID c, REFIID i, void** pv)
//       { return FactoryGetClassObject(g_Templates, std::size(g_Templates), c, i, pv); }
#pragma once

#include <windows.h>
#include <objbase.h>

#include "ComBase.h"
#include "Registration.h"

// Makes a new object; sets *phr on failure (an object made anyway is deleted).
typedef CUnknown*(CALLBACK* LPFNNewCOMObject)(LPUNKNOWN pUnkOuter, HRESULT* phr);
// Called when the module loads (TRUE) and unloads (FALSE).
typedef void(CALLBACK* LPFNInitRoutine)(BOOL bLoading, const CLSID* rclsid);

class CFactoryTemplate {
public:
    const WCHAR* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;  // null: not a filter to register

    BOOL IsClassID(REFCLSID rclsid) const { return IsEqualCLSID(*m_ClsID, rclsid); }
    CUnknown* CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) const { return m_lpfnNew(pUnk, phr); }
};

class CClassFactory : public IClassFactory, public CBaseObject {
public:
    explicit CClassFactory(const CFactoryTemplate* pTemplate);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Aggregation requires IID_IUnknown.
    STDMETHODIMP CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** pv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    volatile LONG m_cRef = 0;
    const CFactoryTemplate* m_pTemplate;
};

// DllGetClassObject: a factory for a class of the table, else CLASS_E_CLASSNOTAVAILABLE.
HRESULT FactoryGetClassObject(const CFactoryTemplate* pTemplates, size_t count, REFCLSID rClsID, REFIID riid,
                              void** pv);
// DllCanUnloadNow: S_OK when no object and no server lock is alive.
HRESULT FactoryCanUnloadNow();
// Calls every template's init routine; for the module's DllMain.
void FactoryInitRoutines(const CFactoryTemplate* pTemplates, size_t count, BOOL bLoading);

// DllRegisterServer: the CLSID key of every class (threading model "Both") in this
// module, then every filter of the table registered in the category.
HRESULT FactoryRegisterServer(const CFactoryTemplate* pTemplates, size_t count, REFCLSID category);
// DllUnregisterServer: the filters leave the category, then the class keys go.
HRESULT FactoryUnregisterServer(const CFactoryTemplate* pTemplates, size_t count, REFCLSID category);
