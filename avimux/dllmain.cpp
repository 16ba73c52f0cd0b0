// Trelvox's COM server: the class table and the four exports.
#include <iterator>

#include "dshowbase/streams.h"
#include "MuxFilter.h"
#include "MuxFilterSetup.h"
#include "MuxGuids.h"
#include "pages/MuxAvi1Page.h"
#include "pages/MuxCommonPage.h"
#include "pages/MuxStatisticsPage.h"
#include "pages/MuxTimeShiftPage.h"

namespace {

// The pages have no setup data: they are COM classes only, not filters.
const CFactoryTemplate kTemplates[] = {
    {L"PelkorAVIMux", &CLSID_PelkorAviMux, MuxFilter::CreateInstance, nullptr, &kMuxFilterSetup},
    {L"PelkorAVIMux Property Page", &CLSID_MuxCommonPage, CreatePropertyPage<MuxCommonPage>, nullptr, nullptr},
    {L"PelkorAVIMux Property Page 2", &CLSID_MuxAvi1Page, CreatePropertyPage<MuxAvi1Page>, nullptr, nullptr},
    {L"PelkorAVIMux Property Page 3", &CLSID_MuxStatisticsPage, CreatePropertyPage<MuxStatisticsPage>, nullptr,
     nullptr},
    {L"PelkorAVIMux Property Page 4", &CLSID_MuxTimeShiftPage, CreatePropertyPage<MuxTimeShiftPage>, nullptr, nullptr},
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
