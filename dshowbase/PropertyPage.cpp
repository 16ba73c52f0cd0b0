#include "PropertyPage.h"

#include <cstring>

CBasePropertyPage::CBasePropertyPage(LPCTSTR pName, LPUNKNOWN pUnk, int DialogId, int TitleId)
    : CUnknown(pName, pUnk),
      m_TitleId(TitleId),
      m_DialogId(DialogId)
{
}

CBasePropertyPage::~CBasePropertyPage()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    if (m_pPageSite)
        m_pPageSite->Release();
}

STDMETHODIMP CBasePropertyPage::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IPropertyPage)
        return GetInterface(static_cast<IPropertyPage*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CBasePropertyPage::NonDelegatingRelease()
{
    // The frame may release us without SetObjects(0, ...): disconnect first.
    if (InterlockedCompareExchange(&m_cRef, 0, 0) == 1 && m_bObjectSet) {
        m_cRef = 2;
        m_bObjectSet = FALSE;
        OnDisconnect();
        m_cRef = 1;
    }
    return CUnknown::NonDelegatingRelease();
}

STDMETHODIMP CBasePropertyPage::SetPageSite(LPPROPERTYPAGESITE pPageSite)
{
    if (pPageSite) {
        if (m_pPageSite)
            return E_UNEXPECTED;
        m_pPageSite = pPageSite;
        m_pPageSite->AddRef();
    } else {
        if (!m_pPageSite)
            return E_UNEXPECTED;
        m_pPageSite->Release();
        m_pPageSite = nullptr;
    }
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Activate(HWND hwndParent, LPCRECT prect, BOOL)
{
    CheckPointer(prect, E_POINTER);
    if (!m_bObjectSet || m_hwnd)
        return E_UNEXPECTED;
    m_hwnd = CreateDialogParamW(CurrentModuleHandle(), MAKEINTRESOURCEW(m_DialogId), hwndParent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    if (!m_hwnd)
        return E_OUTOFMEMORY;
    OnActivate();
    Move(prect);
    return Show(SW_SHOWNORMAL);
}

STDMETHODIMP CBasePropertyPage::Deactivate()
{
    if (!m_hwnd)
        return E_UNEXPECTED;
    // A control-parent page would make the frame's tab loop spin through it.
    const LONG_PTR exStyle = GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE);
    SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE, exStyle & ~WS_EX_CONTROLPARENT);
    OnDeactivate();
    DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    m_Dlg = nullptr;
    return S_OK;
}

namespace {

INT_PTR CALLBACK MeasuringDialogProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
    return uMsg == WM_INITDIALOG ? TRUE : FALSE;
}

LPOLESTR TaskMemString(const WCHAR* text, size_t length)
{
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(WCHAR)));
    if (copy) {
        std::memcpy(copy, text, length * sizeof(WCHAR));
        copy[length] = L'\0';
    }
    return copy;
}

}  // namespace

SIZE CBasePropertyPage::DialogSize() const
{
    SIZE size{0, 0};
    HWND dialog = CreateDialogParamW(CurrentModuleHandle(), MAKEINTRESOURCEW(m_DialogId), GetDesktopWindow(),
                                     MeasuringDialogProc, 0);
    if (dialog) {
        RECT rect;
        if (GetWindowRect(dialog, &rect)) {
            size.cx = rect.right - rect.left;
            size.cy = rect.bottom - rect.top;
        }
        DestroyWindow(dialog);
    }
    return size;
}

STDMETHODIMP CBasePropertyPage::GetPageInfo(LPPROPPAGEINFO pPageInfo)
{
    CheckPointer(pPageInfo, E_POINTER);
    const WCHAR* title = nullptr;
    // With a zero buffer size LoadString returns a pointer into the resource itself.
    const int length = LoadStringW(CurrentModuleHandle(), m_TitleId, reinterpret_cast<LPWSTR>(&title), 0);
    LPOLESTR titleCopy = TaskMemString(length > 0 ? title : L"", length > 0 ? static_cast<size_t>(length) : 0);
    if (!titleCopy)
        return E_OUTOFMEMORY;
    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->pszTitle = titleCopy;
    pPageInfo->size = DialogSize();
    pPageInfo->pszDocString = nullptr;
    pPageInfo->pszHelpFile = nullptr;
    pPageInfo->dwHelpContext = 0;
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk)
{
    if (cObjects == 1) {
        if (!ppUnk || !*ppUnk)
            return E_POINTER;
        // A page that could not connect stays unconnected: no Activate, no OnDisconnect.
        const HRESULT hr = OnConnect(*ppUnk);
        m_bObjectSet = SUCCEEDED(hr);
        return hr;
    }
    if (cObjects == 0) {
        m_bObjectSet = FALSE;
        return OnDisconnect();
    }
    return E_UNEXPECTED;
}

STDMETHODIMP CBasePropertyPage::Show(UINT nCmdShow)
{
    if (!m_hwnd)
        return E_UNEXPECTED;
    if (nCmdShow != SW_SHOW && nCmdShow != SW_SHOWNORMAL && nCmdShow != SW_HIDE)
        return E_INVALIDARG;
    ShowWindow(m_hwnd, nCmdShow);
    InvalidateRect(m_hwnd, nullptr, TRUE);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Move(LPCRECT prect)
{
    CheckPointer(prect, E_POINTER);
    if (!m_hwnd)
        return E_UNEXPECTED;
    MoveWindow(m_hwnd, prect->left, prect->top, prect->right - prect->left, prect->bottom - prect->top, TRUE);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Apply()
{
    if (!m_bObjectSet || !m_pPageSite)
        return E_UNEXPECTED;
    if (!m_bDirty)
        return S_OK;
    const HRESULT hr = OnApplyChanges();
    if (SUCCEEDED(hr))
        m_bDirty = FALSE;
    return hr;
}

void CBasePropertyPage::SetDirty()
{
    m_bDirty = TRUE;
    if (m_pPageSite)
        m_pPageSite->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

INT_PTR CBasePropertyPage::OnReceiveMessage(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

INT_PTR CALLBACK CBasePropertyPage::DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CBasePropertyPage* pPage = nullptr;
    if (uMsg == WM_INITDIALOG) {
        pPage = reinterpret_cast<CBasePropertyPage*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        if (!pPage)
            return TRUE;
        pPage->m_Dlg = hwnd;
    } else {
        pPage = reinterpret_cast<CBasePropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
        if (!pPage)
            return FALSE;
    }
    return pPage->OnReceiveMessage(hwnd, uMsg, wParam, lParam);
}
