// An editable page of the multiplexer's settings: it reads them on connect, reads
// its controls back on deactivate and before apply, and writes them on apply.
#pragma once

#include "IMuxConfig.h"
#include "MuxPropertyPage.h"

class MuxSettingsPage : public MuxPropertyPage<IMuxConfig> {
protected:
    using MuxPropertyPage::MuxPropertyPage;

    virtual HRESULT ReadSettings() = 0;
    // Calls the setters in the page's order.
    virtual HRESULT WriteSettings() = 0;
    virtual void ReadControls() = 0;

    HRESULT OnConnect(IUnknown* object) override
    {
        HRESULT hr = MuxPropertyPage::OnConnect(object);
        if (SUCCEEDED(hr))
            hr = ReadSettings();
        if (FAILED(hr) && target_)
            OnDisconnect();
        return hr;
    }

    HRESULT OnDeactivate() override
    {
        ReadControls();
        return S_OK;
    }

    // The settings may clamp what they are given: the page then shows what they hold.
    HRESULT OnApplyChanges() override
    {
        if (m_hwnd)
            ReadControls();
        HRESULT hr = WriteSettings();
        if (SUCCEEDED(hr))
            hr = ReadSettings();
        if (SUCCEEDED(hr))
            Refill();
        return hr;
    }
};
