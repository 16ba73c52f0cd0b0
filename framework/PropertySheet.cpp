#include "PropertySheet.h"

#include <commctrl.h>
#include <prsht.h>

bool FwPropertyPage::OnInitDialog()
{
    UpdateData(false);
    return true;
}

bool FwPropertyPage::OnCommand(int, int, HWND)
{
    return false;
}

bool FwPropertyPage::OnNotify(NMHDR&, LRESULT&)
{
    return false;
}

bool FwPropertyPage::UpdateData(bool saveAndValidate)
{
    FwDataExchange exchange(page_, saveAndValidate);
    DoDataExchange(exchange);
    return !exchange.Failed();
}

INT_PTR FwPropertyPage::OnSheetNotify(NMHDR& header)
{
    switch (header.code) {
    case PSN_KILLACTIVE:
        // TRUE keeps the page.
        SetWindowLongPtrW(page_, DWLP_MSGRESULT, OnKillActive() ? FALSE : TRUE);
        return TRUE;
    case PSN_APPLY:
        sheet_->NoteConfirmed(page_);
        OnOK();
        SetWindowLongPtrW(page_, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK FwPropertyPage::Procedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<FwPropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->page_ = page;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<FwPropertyPage*>(GetWindowLongPtrW(page, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.hwndFrom == GetParent(page))
            return self->OnSheetNotify(header);
        LRESULT result = 0;
        if (!self->OnNotify(header, result))
            return FALSE;
        SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_DESTROY:
        self->page_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

void FwPropertySheet::NoteConfirmed(HWND pageWindow)
{
    if (confirmed_)
        return;
    confirmed_ = true;
    HWND sheet = GetParent(pageWindow);
    activeAtOk_ = PropSheet_HwndToIndex(sheet, PropSheet_GetCurrentPageHwnd(sheet));
}

INT_PTR FwPropertySheet::DoModal(HWND owner, int startPage)
{
    std::vector<PROPSHEETPAGEW> pages;
    for (FwPropertyPage* page : pages_) {
        page->sheet_ = this;
        PROPSHEETPAGEW sheetPage{};
        sheetPage.dwSize = sizeof sheetPage;
        sheetPage.hInstance = GetModuleHandleW(nullptr);
        sheetPage.pszTemplate = MAKEINTRESOURCEW(page->templateId_);
        sheetPage.pfnDlgProc = FwPropertyPage::Procedure;
        sheetPage.lParam = reinterpret_cast<LPARAM>(page);
        pages.push_back(sheetPage);
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = title_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = startPage >= 0 && static_cast<size_t>(startPage) < pages.size() ? startPage : 0;
    header.ppsp = pages.data();
    confirmed_ = false;
    PropertySheetW(&header);
    return confirmed_ ? IDOK : IDCANCEL;
}
