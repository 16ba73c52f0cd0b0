#include "PriorityCombo.h"

#include "../framework/DialogItems.h"
#include "../resources/tavrik/resource.h"
#include "core/ChoiceLists.h"

void FillPriorityCombo(HWND page)
{
    for (const settingsui::Choice& choice : settingsui::kPriorityChoices)
        ComboAdd(page, IDC_PRIORITY, choice.text, choice.data);
    SendDlgItemMessageW(page, IDC_PRIORITY, CB_SETCURSEL, 0, 0);
}

void SelectPriority(HWND page, unsigned priorityClass)
{
    if (!ComboSelectData(page, IDC_PRIORITY, static_cast<LPARAM>(priorityClass)))
        SendDlgItemMessageW(page, IDC_PRIORITY, CB_SETCURSEL, 0, 0);
}

unsigned SelectedPriority(HWND page)
{
    return static_cast<unsigned>(ComboSelectedData(page, IDC_PRIORITY, settingsui::kPriorityWhenNoneChosen));
}
