// Trelvox's COM server: the class table and the four exports.
#include <iterator>

#include "dshowbase/streams.h"
#include "MuxFilter.h"
#include "MuxFilterSetup.h"
#include "MuxGuids.h"

namespace {

// The property pages are not built yet, so only the filter is served.
const CFactoryTemplate kTemplates[] = {
    {L"PelkorAVIMux", &CLSID_PelkorAviMux, MuxFilter::CreateInstance, nullptr, &kMuxFilterSetup},
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
