#include "MuxTimeShiftPage.h"

#include "../../resources/trelvox/resource.h"

MuxTimeShiftPage::MuxTimeShiftPage(LPUNKNOWN outer)
    : MuxPropertyPage(L"Mux time shift page", outer, IDD_MUX_TIMESHIFT, IDS_MUX_TIMESHIFT_TITLE)
{
}
