// Entry points of ZelvanSim.dll: the class factory table and self-registration.
#include <iterator>

#include "dshowbase/streams.h"

#include "CaptureFilter.h"
#include "CardPages.h"
#include "CardGuids.h"
#include "CrossbarFilter.h"
#include "CardRegistration.h"

namespace {

const CFactoryTemplate kTemplates[] = {
    {cardsim::kCaptureFilterName, &cardsim::kClsidCaptureFilter, cardsim::CaptureFilter::CreateInstance, nullptr,
     nullptr},
    {cardsim::kCrossbarName, &cardsim::kClsidCrossbar, cardsim::CrossbarFilter::CreateInstance, nullptr, nullptr},
    {cardsim::kDecoderPageName, &cardsim::kClsidDecoderPage, cardsim::CreateDecoderPage, nullptr, nullptr},
    {cardsim::kCrossbarPageName, &cardsim::kClsidCrossbarPage, cardsim::CreateCrossbarPage, nullptr, nullptr},
    {cardsim::kStreamFormatPageName, &cardsim::kClsidStreamFormatPage, cardsim::CreateStreamFormatPage, nullptr,
     nullptr},
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    return FactoryGetClassObject(kTemplates, std::size(kTemplates), clsid, iid, object);
}

STDAPI DllCanUnloadNow()
{
    return FactoryCanUnloadNow();
}

STDAPI DllRegisterServer()
{
    return cardsim::RegisterCardFilters();
}

STDAPI DllUnregisterServer()
{
    return cardsim::UnregisterCardFilters();
}
