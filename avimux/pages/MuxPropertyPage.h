// The base of Trelvox's property pages: the interface of the object the page edits,
// and dirty marking that only the user's own edits trigger.
#pragma once

#include <new>

#include "dshowbase/streams.h"

template <class Interface>
class MuxPropertyPage : public CBasePropertyPage {
protected:
    MuxPropertyPage(LPCTSTR name, LPUNKNOWN outer, int dialogId, int titleId)
        : CBasePropertyPage(name, outer, dialogId, titleId)
    {
    }

    // E_NOINTERFACE when the object does not have the page's interface.
    HRESULT OnConnect(IUnknown* object) override
    {
        if (target_) {
            target_->Release();
            target_ = nullptr;
        }
        return object->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(&target_));
    }

    HRESULT OnDisconnect() override
    {
        if (!target_)
            return E_UNEXPECTED;
        target_->Release();
        target_ = nullptr;
        return S_OK;
    }

    HRESULT OnActivate() final
    {
        filling_ = true;
        FillControls();
        filling_ = false;
        return S_OK;
    }

    // Shows the page's values in its controls.
    virtual void FillControls() {}

    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_COMMAND && !filling_) {
            const WORD code = HIWORD(wParam);
            if (code == EN_CHANGE || code == BN_CLICKED || code == CBN_SELCHANGE) {
                SetDirty();
                return TRUE;
            }
        }
        return CBasePropertyPage::OnReceiveMessage(hwnd, uMsg, wParam, lParam);
    }

    // Refreshes the controls of an active page without marking it dirty.
    void Refill()
    {
        if (m_hwnd)
            OnActivate();
    }

    Interface* target_ = nullptr;

private:
    bool filling_ = false;
};

// The class factory's creator for a page.
template <class Page>
CUnknown* CALLBACK CreatePropertyPage(LPUNKNOWN outer, HRESULT* phr)
{
    CUnknown* page = new (std::nothrow) Page(outer);
    if (phr)
        *phr = page ? S_OK : E_OUTOFMEMORY;
    return page;
}
