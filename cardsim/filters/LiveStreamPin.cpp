#include "LiveStreamPin.h"

#include <algorithm>
#include <string>

#include "CaptureFilter.h"
#include "PinCategory.h"

namespace cardsim {
namespace {

// The thread looks at the input and the filter's state at least this often.
constexpr REFERENCE_TIME kLongestWait = 100000;  // 10 ms

// Names the calling thread "cardsim <pin>", so a profiler tells the card's threads apart.
// Looked up at run time: the headers declare it only for Windows 10.
void NameStreamingThread(const wchar_t* pinName)
{
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    const auto set = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (set)
        set(GetCurrentThread(), (std::wstring(L"cardsim ") + pinName).c_str());
}

}  // namespace

LiveStreamPin::LiveStreamPin(const wchar_t* name, CaptureFilter* filter, CCritSec* lock, HRESULT* hr,
                             const GUID& category)
    : CBaseOutputPin(name, filter, lock, hr, name),
      filter_(filter),
      category_(category)
{
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent_ && hr)
        *hr = E_OUTOFMEMORY;
}

LiveStreamPin::~LiveStreamPin()
{
    if (stopEvent_)
        CloseHandle(stopEvent_);
}

STDMETHODIMP LiveStreamPin::NonDelegatingQueryInterface(REFIID iid, void** object)
{
    if (iid == IID_IKsPropertySet)
        return GetInterface(static_cast<IKsPropertySet*>(this), object);
    return CBaseOutputPin::NonDelegatingQueryInterface(iid, object);
}

STDMETHODIMP LiveStreamPin::Set(REFGUID, DWORD, void*, DWORD, void*, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP LiveStreamPin::Get(REFGUID propertySet, DWORD propertyId, void*, DWORD, void* data, DWORD dataBytes,
                                DWORD* returnedBytes)
{
    return GetPinCategory(category_, propertySet, propertyId, data, dataBytes, returnedBytes);
}

STDMETHODIMP LiveStreamPin::QuerySupported(REFGUID propertySet, DWORD propertyId, DWORD* support)
{
    return QueryPinCategorySupport(propertySet, propertyId, support);
}

HRESULT LiveStreamPin::Active()
{
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr) || !IsConnected())
        return hr;
    session_ = filter_->Session();
    StartStream();
    ResetEvent(stopEvent_);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    return thread_ ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

HRESULT LiveStreamPin::Inactive()
{
    SetEvent(stopEvent_);
    // Decommitting first releases a thread that waits for a free buffer.
    const HRESULT hr = CBaseOutputPin::Inactive();
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return hr;
}

DWORD WINAPI LiveStreamPin::ThreadMain(void* self)
{
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    auto* pin = static_cast<LiveStreamPin*>(self);
    NameStreamingThread(pin->Name());
    pin->Stream();
    if (SUCCEEDED(init))
        CoUninitialize();
    return 0;
}

void LiveStreamPin::Stream()
{
    bool first = true;
    for (;;) {
        REFERENCE_TIME waitFor = kLongestWait;
        REFERENCE_TIME now = 0;
        Step step = Step::Wait;
        if (filter_->RunningStreamTime(now))
            step = NextStep(now, waitFor);
        if (step == Step::Skip)
            continue;
        if (step == Step::Wait) {
            const DWORD ms = static_cast<DWORD>((std::clamp<REFERENCE_TIME>(waitFor, 0, kLongestWait) + 9999) / 10000);
            if (WaitForSingleObject(stopEvent_, ms) == WAIT_OBJECT_0)
                return;
            continue;
        }

        IMediaSample* sample = nullptr;
        if (FAILED(GetDeliveryBuffer(&sample, nullptr, nullptr, 0))) {
            if (WaitForSingleObject(stopEvent_, 10) == WAIT_OBJECT_0)
                return;
            continue;
        }
        HRESULT hr = FillSample(sample);
        if (SUCCEEDED(hr)) {
            sample->SetSyncPoint(TRUE);
            sample->SetDiscontinuity(first ? TRUE : FALSE);
            first = false;
            hr = Deliver(sample);
        }
        sample->Release();
        // A refused sample is lost like a frame the card could not hand over; downstream
        // filters refuse while the graph stops them one after another.
    }
}

}  // namespace cardsim
