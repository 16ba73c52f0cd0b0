// CBasePropertyPage: IPropertyPage on a dialog resource of the module.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "ComBase.h"

class CBasePropertyPage : public IPropertyPage, public CUnknown {
public:
    // DialogId is the dialog template, TitleId the string resource of the page title.
    CBasePropertyPage(LPCTSTR pName, LPUNKNOWN pUnk, int DialogId, int TitleId);
    ~CBasePropertyPage() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // IPropertyPage
    STDMETHODIMP SetPageSite(LPPROPERTYPAGESITE pPageSite) override;
    STDMETHODIMP Activate(HWND hwndParent, LPCRECT prect, BOOL fModal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(LPPROPPAGEINFO pPageInfo) override;
    // One object connects (OnConnect; the page is connected only when it succeeds),
    // none disconnects (OnDisconnect).
    STDMETHODIMP SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk) override;
    STDMETHODIMP Show(UINT nCmdShow) override;
    STDMETHODIMP Move(LPCRECT prect) override;
    STDMETHODIMP IsPageDirty() override { return m_bDirty ? S_OK : S_FALSE; }
    // Calls OnApplyChanges when the page is dirty and clears the flag when it succeeds.
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return E_NOTIMPL; }

    // Marks the page dirty and tells the page site.
    void SetDirty();

    virtual HRESULT OnConnect(IUnknown*) { return S_OK; }
    virtual HRESULT OnDisconnect() { return S_OK; }
    virtual HRESULT OnActivate() { return S_OK; }
    virtual HRESULT OnDeactivate() { return S_OK; }
    virtual HRESULT OnApplyChanges() { return S_OK; }
    // The page's dialog messages; TRUE when handled.
    virtual INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;  // the page's dialog while active
    HWND m_Dlg = nullptr;   // the dialog handle as seen in WM_INITDIALOG
    LPPROPERTYPAGESITE m_pPageSite = nullptr;
    BOOL m_bObjectSet = FALSE;
    BOOL m_bDirty = FALSE;

private:
    SIZE DialogSize() const;

    int m_TitleId;
    int m_DialogId;
};
