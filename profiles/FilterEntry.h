// A chosen device or filter: its friendly name, its moniker display name, and
// once bound its moniker and filter. Two reserved display names stand for
// "no device" and "no filter".
#pragma once

#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <string>

struct FilterEntry {
    std::wstring friendlyName;
    std::wstring displayName;
    Microsoft::WRL::ComPtr<IMoniker> moniker;    // may be null
    Microsoft::WRL::ComPtr<IBaseFilter> filter;  // may be null

    bool IsNull() const;
};

std::wstring NullVideoDisplayName();
std::wstring NullAudioDisplayName();
bool IsNullDisplayName(const std::wstring& displayName);

// Parses the display name into a moniker (MkParseDisplayName) and binds it to
// the filter. A null display name is never bound: E_FAIL.
HRESULT BindFilterByDisplayName(const std::wstring& displayName, IBaseFilter** filter);
