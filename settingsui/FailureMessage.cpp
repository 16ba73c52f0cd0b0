#include "FailureMessage.h"

#include "../framework/Resources.h"

#include <cwchar>
#include <iterator>

void ShowFailure(const wchar_t* text, HRESULT hr, UINT icon)
{
    wchar_t message[160];
    swprintf(message, std::size(message), L"%ls(%08x)", text, static_cast<unsigned>(hr));
    FwMessageBox(message, icon);
}
