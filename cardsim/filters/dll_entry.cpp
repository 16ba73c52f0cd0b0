// Entry points of ZelvanSim.dll: the class factory table and self-registration.
#include <streams.h>

#include "capture_filter.h"
#include "card_guids.h"
#include "crossbar_filter.h"
#include "registration.h"

CFactoryTemplate g_Templates[] = {
    {cardsim::kCaptureFilterName, &cardsim::kClsidCaptureFilter, cardsim::CaptureFilter::CreateInstance, nullptr, nullptr},
    {cardsim::kCrossbarName, &cardsim::kClsidCrossbar, cardsim::CrossbarFilter::CreateInstance, nullptr, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

STDAPI DllRegisterServer()
{
    return cardsim::RegisterCardFilters();
}

STDAPI DllUnregisterServer()
{
    return cardsim::UnregisterCardFilters();
}
