#include "ComBase.h"

LONG CBaseObject::s_cObjects = 0;
LONG CBaseObject::s_cLocks = 0;

CBaseObject::CBaseObject(LPCTSTR pName) : m_pName(pName)
{
    InterlockedIncrement(&s_cObjects);
}

CBaseObject::~CBaseObject()
{
    InterlockedDecrement(&s_cObjects);
}

LONG CBaseObject::ObjectsActive()
{
    return InterlockedCompareExchange(&s_cObjects, 0, 0);
}

LONG CBaseObject::ServerLocks()
{
    return InterlockedCompareExchange(&s_cLocks, 0, 0);
}

void CBaseObject::LockServer(bool lock)
{
    if (lock)
        InterlockedIncrement(&s_cLocks);
    else
        InterlockedDecrement(&s_cLocks);
}

CUnknown::CUnknown(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT*)
    : CBaseObject(pName),
      m_pUnknown(pUnk ? pUnk : reinterpret_cast<LPUNKNOWN>(static_cast<PNDUNKNOWN>(this)))
{
}

HRESULT STDMETHODCALLTYPE CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    CheckPointer(ppv, E_POINTER);
    if (riid == IID_IUnknown)
        return GetInterface(reinterpret_cast<LPUNKNOWN>(static_cast<PNDUNKNOWN>(this)), ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingAddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingRelease()
{
    const LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0) {
        // Guard against a release from inside the destructor deleting twice.
        m_cRef = 1;
        delete this;
        return 0;
    }
    return static_cast<ULONG>(count);
}

HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv)
{
    CheckPointer(ppv, E_POINTER);
    *ppv = pUnk;
    pUnk->AddRef();
    return S_OK;
}

HINSTANCE CurrentModuleHandle()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CurrentModuleHandle), &module);
    return module;
}
