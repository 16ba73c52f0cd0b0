// CUnknown: COM objects with aggregation support, and the object and lock counts
// behind DllCanUnloadNow.
#pragma once

#include <windows.h>
#include <objbase.h>

// The inner object's own IUnknown when it is aggregated. Its vtable has the same
// layout as IUnknown, so a pointer to it is handed out as the inner IUnknown.
struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};
typedef INonDelegatingUnknown* PNDUNKNOWN;

// Every object counts itself while alive; the module may unload when the count
// and the server lock count are both zero.
class CBaseObject {
public:
    explicit CBaseObject(LPCTSTR pName);
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
    virtual ~CBaseObject();

    static LONG ObjectsActive();
    static LONG ServerLocks();
    static void LockServer(bool lock);

protected:
    LPCTSTR m_pName;  // for debugging only

private:
    static LONG s_cObjects;
    static LONG s_cLocks;
};

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
public:
    // pUnk is the controlling unknown when aggregated, else null.
    CUnknown(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr = nullptr);

    LPUNKNOWN GetOwner() const { return m_pUnknown; }

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

protected:
    volatile LONG m_cRef = 0;

private:
    LPUNKNOWN const m_pUnknown;
};

// Hands out an interface pointer with a reference added.
HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv);

// The module (DLL or program) that this library is linked into.
HINSTANCE CurrentModuleHandle();

// The delegating IUnknown of a class derived from CUnknown and from COM interfaces.
#define DECLARE_IUNKNOWN                                                                                               \
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override                                                      \
    {                                                                                                                  \
        return GetOwner()->QueryInterface(riid, ppv);                                                                  \
    }                                                                                                                  \
    STDMETHODIMP_(ULONG) AddRef() override                                                                             \
    {                                                                                                                  \
        return GetOwner()->AddRef();                                                                                   \
    }                                                                                                                  \
    STDMETHODIMP_(ULONG) Release() override                                                                            \
    {                                                                                                                  \
        return GetOwner()->Release();                                                                                  \
    }

#ifndef CheckPointer
#define CheckPointer(p, ret)                                                                                           \
    do {                                                                                                               \
        if ((p) == nullptr)                                                                                            \
            return (ret);                                                                                              \
    } while (0)
#endif
