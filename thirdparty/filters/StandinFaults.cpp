#include "StandinFaults.h"

namespace standin {

bool FaultWanted(Fault fault)
{
    const wchar_t* name = fault == Fault::OversizedFormat ? L"OversizedFormat"
                          : fault == Fault::FailingSave   ? L"FailingSave"
                                                          : L"UntimedOutput";
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\StandinCodecs", name, RRF_RT_REG_DWORD, nullptr, &value,
                        &size) == ERROR_SUCCESS &&
           value != 0;
}

}  // namespace standin
