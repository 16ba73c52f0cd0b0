// A property page site that records the status changes a page reports.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

class TestPageSite : public IPropertyPageSite {
public:
    std::vector<DWORD> statusChanges;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown && riid != IID_IPropertyPageSite)
            return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnStatusChange(DWORD dwFlags) override
    {
        statusChanges.push_back(dwFlags);
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return E_NOTIMPL; }
};
