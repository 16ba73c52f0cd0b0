// A modal property sheet of pages made from dialog templates, with OK and Cancel
// but no Apply button. Pages are created when first shown; only those get OnOK.
#pragma once

#include "DataExchange.h"

#include <windows.h>

#include <string>
#include <vector>

class FwPropertySheet;

class FwPropertyPage {
public:
    explicit FwPropertyPage(UINT templateId) : templateId_(templateId) {}
    virtual ~FwPropertyPage() = default;
    FwPropertyPage(const FwPropertyPage&) = delete;
    FwPropertyPage& operator=(const FwPropertyPage&) = delete;

    HWND Handle() const { return page_; }

protected:
    // Loads the controls from the fields (UpdateData(false)) unless overridden.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(FwDataExchange&) {}
    // Leaving the page or pressing OK: false keeps the page. Saves the controls
    // into the fields with validation unless overridden.
    virtual bool OnKillActive() { return UpdateData(true); }
    // The sheet was confirmed; the fields hold what the controls showed.
    virtual void OnOK() {}
    // WM_COMMAND of a control; true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // WM_NOTIFY of a control other than the sheet's; true when handled.
    virtual bool OnNotify(NMHDR& header, LRESULT& result);

    bool UpdateData(bool saveAndValidate);

private:
    friend class FwPropertySheet;
    static INT_PTR CALLBACK Procedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnSheetNotify(NMHDR& header);

    UINT templateId_;
    HWND page_ = nullptr;
    FwPropertySheet* sheet_ = nullptr;
};

class FwPropertySheet {
public:
    explicit FwPropertySheet(std::wstring title) : title_(std::move(title)) {}
    virtual ~FwPropertySheet() = default;

    void AddPage(FwPropertyPage& page) { pages_.push_back(&page); }
    // Shows the sheet on the page of that index; IDOK or IDCANCEL.
    INT_PTR DoModal(HWND owner, int startPage);
    // The index of the page that was active when OK was pressed.
    int ActivePageAtOk() const { return activeAtOk_; }

private:
    friend class FwPropertyPage;
    // The first page to take OK notes the active page; every page hears of it.
    void NoteConfirmed(HWND pageWindow);

    std::wstring title_;
    std::vector<FwPropertyPage*> pages_;
    bool confirmed_ = false;
    int activeAtOk_ = 0;
};
