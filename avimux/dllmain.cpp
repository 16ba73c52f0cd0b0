// Trelvox's COM server exports. No class is served yet.
#include <windows.h>
#include <objbase.h>

STDAPI DllGetClassObject(REFCLSID, REFIID, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    return S_OK;
}

STDAPI DllRegisterServer()
{
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    return S_OK;
}
