#include "G711Page.h"

#include <new>

#include "StandinResource.h"

namespace standin {

G711Page::G711Page(LPUNKNOWN outer) : CBasePropertyPage(L"G.711 page", outer, IDD_G711_PAGE, IDS_G711_PAGE_TITLE) {}

CUnknown* WINAPI G711Page::CreateInstance(LPUNKNOWN outer, HRESULT* phr)
{
    auto* page = new (std::nothrow) G711Page(outer);
    if (!page)
        *phr = E_OUTOFMEMORY;
    return page;
}

HRESULT G711Page::OnConnect(IUnknown* object)
{
    CheckPointer(object, E_POINTER);
    return object->QueryInterface(IID_IG711State, reinterpret_cast<void**>(&state_));
}

HRESULT G711Page::OnDisconnect()
{
    if (state_) {
        state_->Release();
        state_ = nullptr;
    }
    return S_OK;
}

HRESULT G711Page::OnActivate()
{
    wchar_t text[512] = {};
    const HRESULT hr = state_ ? state_->Describe(text, 512) : E_UNEXPECTED;
    if (FAILED(hr))
        return hr;
    SetDlgItemTextW(m_hwnd, IDC_G711_STATE, text);
    return S_OK;
}

}  // namespace standin
