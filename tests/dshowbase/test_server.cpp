// A COM server holding the test sink, registered and unregistered by the tests.
#include <iterator>

#include "TestFilters.h"

namespace {

const CFactoryTemplate kTemplates[] = {
    {L"dshowbase Test Sink", &CLSID_TestSink, TestSink::CreateInstance, nullptr, &kTestSinkSetup},
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    return FactoryGetClassObject(kTemplates, std::size(kTemplates), rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return FactoryCanUnloadNow();
}

STDAPI DllRegisterServer()
{
    return FactoryRegisterServer(kTemplates, std::size(kTemplates), CLSID_LegacyAmFilterCategory);
}

STDAPI DllUnregisterServer()
{
    return FactoryUnregisterServer(kTemplates, std::size(kTemplates), CLSID_LegacyAmFilterCategory);
}
