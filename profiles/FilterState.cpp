#include "FilterState.h"

#include "StreamIo.h"

#include <vfw.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IAMVfwCompressDialogs> CompressDialogsOf(IBaseFilter* filter)
{
    ComPtr<IAMVfwCompressDialogs> dialogs;
    if (filter)
        filter->QueryInterface(IID_IAMVfwCompressDialogs, reinterpret_cast<void**>(dialogs.GetAddressOf()));
    return dialogs;
}

// Larger driver states are treated as a driver fault.
constexpr LONG kMaxDriverStateBytes = 16 * 1024 * 1024;

}  // namespace

bool GetDriverState(IBaseFilter* filter, std::vector<std::uint8_t>& state)
{
    state.clear();
    ComPtr<IAMVfwCompressDialogs> dialogs = CompressDialogsOf(filter);
    if (!dialogs)
        return false;
    const LONG size = static_cast<LONG>(dialogs->SendDriverMessage(ICM_GETSTATE, 0, 0));
    if (size <= 0 || size > kMaxDriverStateBytes)
        return true;
    state.resize(static_cast<std::size_t>(size));
    int filled = static_cast<int>(size);
    // The stored count must match the bytes that follow it, so a failed
    // GetState stores an empty state rather than an unfilled buffer.
    if (FAILED(dialogs->GetState(state.data(), &filled)))
        state.clear();
    return true;
}

HRESULT SetDriverState(IBaseFilter* filter, const std::vector<std::uint8_t>& state)
{
    ComPtr<IAMVfwCompressDialogs> dialogs = CompressDialogsOf(filter);
    if (state.empty() || !dialogs)
        return S_OK;
    std::vector<std::uint8_t> copy = state;
    return dialogs->SetState(copy.data(), static_cast<int>(copy.size()));
}

bool HasPersistStream(IBaseFilter* filter)
{
    ComPtr<IPersistStream> persist;
    return filter && SUCCEEDED(filter->QueryInterface(IID_PPV_ARGS(&persist)));
}

HRESULT SavePersistedState(IBaseFilter* filter, IStream* stream)
{
    ComPtr<IPersistStream> persist;
    HRESULT hr = filter->QueryInterface(IID_PPV_ARGS(&persist));
    if (FAILED(hr))
        return hr;
    return persist->Save(stream, TRUE);
}

HRESULT LoadPersistedState(IBaseFilter* filter, IStream* stream, std::uint64_t position, std::uint64_t& end)
{
    ComPtr<IPersistStream> persist;
    HRESULT hr = filter->QueryInterface(IID_PPV_ARGS(&persist));
    if (FAILED(hr))
        return hr;
    hr = SeekTo(stream, position);
    if (FAILED(hr))
        return hr;
    hr = persist->Load(stream);
    if (FAILED(hr))
        return hr;
    return CurrentPosition(stream, end);
}
