// A filter with no pins that only keeps state, for binding and persistence tests.
#include "TestFilterIds.h"

#include <windows.h>
#include <dshow.h>
#include <vfw.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};

constexpr DWORD kStateMagic = 0x31534654;  // "TFS1"
constexpr DWORD kMaxStateBytes = 64 * 1024;

enum Capability { kPlain, kPersist, kVfw };

HRESULT ReadExactly(IStream* stream, void* data, ULONG size)
{
    ULONG got = 0;
    HRESULT hr = stream->Read(data, size, &got);
    if (FAILED(hr))
        return hr;
    return got == size ? S_OK : kDamagedTestState;
}

class TestFilter final : public IBaseFilter,
                         public IPersistStream,
                         public IAMVfwCompressDialogs,
                         public ITestFilterControl {
public:
    TestFilter(Capability capability, const CLSID& clsid) : capability_(capability), clsid_(clsid) { ++g_objects; }
    ~TestFilter() { --g_objects; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist)
            *object = static_cast<IBaseFilter*>(this);
        else if (iid == kIidTestFilterControl)
            *object = static_cast<ITestFilterControl*>(this);
        else if (iid == IID_IPersistStream && capability_ != kPlain)
            *object = static_cast<IPersistStream*>(this);
        else if (iid == IID_IAMVfwCompressDialogs && capability_ == kVfw)
            *object = static_cast<IAMVfwCompressDialogs*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IPersist (shared by IBaseFilter and IPersistStream)
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        if (!clsid)
            return E_POINTER;
        *clsid = clsid_;
        return S_OK;
    }

    // IMediaFilter / IBaseFilter: no streaming, only what a graph asks of any filter.
    STDMETHODIMP Stop() override { return S_OK; }
    STDMETHODIMP Pause() override { return S_OK; }
    STDMETHODIMP Run(REFERENCE_TIME) override { return S_OK; }
    STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override
    {
        if (!state)
            return E_POINTER;
        *state = State_Stopped;
        return S_OK;
    }
    STDMETHODIMP SetSyncSource(IReferenceClock*) override { return S_OK; }
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override
    {
        if (!clock)
            return E_POINTER;
        *clock = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumPins(IEnumPins**) override { return E_NOTIMPL; }
    STDMETHODIMP FindPin(LPCWSTR, IPin** pin) override
    {
        if (pin)
            *pin = nullptr;
        return VFW_E_NOT_FOUND;
    }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override
    {
        if (!info)
            return E_POINTER;
        lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
        info->pGraph = graph_;
        if (graph_)
            graph_->AddRef();
        return S_OK;
    }
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override
    {
        graph_ = graph;  // not counted, as filters hold their graph
        name_ = name ? name : L"";
        return S_OK;
    }
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    // IPersistStream: "TFS1", u32 length, the bytes.
    STDMETHODIMP IsDirty() override { return S_OK; }
    STDMETHODIMP Load(IStream* stream) override
    {
        ++loads_;
        DWORD header[2] = {};
        HRESULT hr = ReadExactly(stream, header, sizeof header);
        if (FAILED(hr))
            return hr;
        if (header[0] != kStateMagic || header[1] > kMaxStateBytes)
            return kDamagedTestState;
        std::vector<BYTE> blob(header[1]);
        if (!blob.empty() && FAILED(hr = ReadExactly(stream, blob.data(), header[1])))
            return hr;
        blobs_[kPersistedBlob] = std::move(blob);
        return S_OK;
    }
    STDMETHODIMP Save(IStream* stream, BOOL) override
    {
        const std::vector<BYTE>& blob = blobs_[kPersistedBlob];
        const DWORD header[2] = {kStateMagic, static_cast<DWORD>(blob.size())};
        HRESULT hr = stream->Write(header, sizeof header, nullptr);
        if (SUCCEEDED(hr) && !blob.empty())
            hr = stream->Write(blob.data(), static_cast<ULONG>(blob.size()), nullptr);
        return hr;
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override
    {
        if (!size)
            return E_POINTER;
        size->QuadPart = 8 + blobs_[kPersistedBlob].size();
        return S_OK;
    }

    // IAMVfwCompressDialogs: the driver blob is the driver's state.
    STDMETHODIMP ShowDialog(int, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP GetState(LPVOID state, int* size) override
    {
        const std::vector<BYTE>& blob = blobs_[kDriverBlob];
        if (!size)
            return E_POINTER;
        if (getStateFails_)
            return E_UNEXPECTED;
        if (!state || *size < static_cast<int>(blob.size()))
            return E_INVALIDARG;
        std::memcpy(state, blob.data(), blob.size());
        *size = static_cast<int>(blob.size());
        return S_OK;
    }
    STDMETHODIMP SetState(LPVOID state, int size) override
    {
        ++setStates_;
        if (!state || size < 0)
            return E_INVALIDARG;
        const BYTE* bytes = static_cast<const BYTE*>(state);
        blobs_[kDriverBlob].assign(bytes, bytes + size);
        return S_OK;
    }
    STDMETHODIMP SendDriverMessage(int message, LONG, LONG) override
    {
        return message == ICM_GETSTATE ? static_cast<HRESULT>(blobs_[kDriverBlob].size()) : E_NOTIMPL;
    }

    // ITestFilterControl
    STDMETHODIMP SetBlob(DWORD which, const BYTE* data, DWORD size) override
    {
        if (which > kDriverBlob || (size && !data))
            return E_INVALIDARG;
        blobs_[which].assign(data, data + size);
        return S_OK;
    }
    STDMETHODIMP GetBlob(DWORD which, BYTE* data, DWORD* size) override
    {
        if (which > kDriverBlob || !size)
            return E_INVALIDARG;
        const std::vector<BYTE>& blob = blobs_[which];
        if (*size < blob.size() || (!blob.empty() && !data)) {
            *size = static_cast<DWORD>(blob.size());
            return E_OUTOFMEMORY;
        }
        if (!blob.empty())
            std::memcpy(data, blob.data(), blob.size());
        *size = static_cast<DWORD>(blob.size());
        return S_OK;
    }
    STDMETHODIMP SetGetStateFails(BOOL fails) override
    {
        getStateFails_ = fails != FALSE;
        return S_OK;
    }
    STDMETHODIMP GetCalls(DWORD* loads, DWORD* setStates) override
    {
        if (!loads || !setStates)
            return E_POINTER;
        *loads = loads_;
        *setStates = setStates_;
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
    const Capability capability_;
    const CLSID clsid_;
    IFilterGraph* graph_ = nullptr;
    std::wstring name_;
    std::vector<BYTE> blobs_[2];
    bool getStateFails_ = false;
    DWORD loads_ = 0;
    DWORD setStates_ = 0;
};

class Factory final : public IClassFactory {
public:
    Factory(Capability capability, const CLSID& clsid) : capability_(capability), clsid_(clsid) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    // Static objects: the count only keeps the module loaded while in use.
    STDMETHODIMP_(ULONG) AddRef() override
    {
        ++g_objects;
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        --g_objects;
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* filter = new (std::nothrow) TestFilter(capability_, clsid_);
        if (!filter)
            return E_OUTOFMEMORY;
        HRESULT hr = filter->QueryInterface(iid, object);
        filter->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        lock ? ++g_objects : --g_objects;
        return S_OK;
    }

private:
    const Capability capability_;
    const CLSID clsid_;
};

Factory g_plainFactory(kPlain, kClsidPlainTestFilter);
Factory g_persistFactory(kPersist, kClsidPersistTestFilter);
Factory g_vfwFactory(kVfw, kClsidVfwTestFilter);

struct Registration {
    const CLSID* clsid;
    const wchar_t* friendlyName;
};
const Registration kRegistrations[] = {
    {&kClsidPlainTestFilter, L"Profile Test Filter (plain)"},
    {&kClsidPersistTestFilter, L"Profile Test Filter (persist)"},
    {&kClsidVfwTestFilter, L"Profile Test Filter (vfw)"},
};

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

HRESULT SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    const LSTATUS status = RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (clsid == kClsidPlainTestFilter)
        return g_plainFactory.QueryInterface(iid, object);
    if (clsid == kClsidPersistTestFilter)
        return g_persistFactory.QueryInterface(iid, object);
    if (clsid == kClsidVfwTestFilter)
        return g_vfwFactory.QueryInterface(iid, object);
    if (object)
        *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    return g_objects == 0 ? S_OK : S_FALSE;
}

// Each class as an in-process server, and as an instance of the test category
// so that its device moniker display name can be parsed and bound.
extern "C" HRESULT WINAPI DllRegisterServer()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(g_module, path, MAX_PATH);
    for (const Registration& registration : kRegistrations) {
        const std::wstring clsid = GuidText(*registration.clsid);
        const std::wstring server = L"CLSID\\" + clsid + L"\\InprocServer32";
        const std::wstring instance = L"CLSID\\" + GuidText(kTestFilterCategory) + L"\\Instance\\" + clsid;
        HRESULT hr = SetString(L"CLSID\\" + clsid, nullptr, registration.friendlyName);
        if (SUCCEEDED(hr))
            hr = SetString(server, nullptr, path);
        if (SUCCEEDED(hr))
            hr = SetString(server, L"ThreadingModel", L"Both");
        if (SUCCEEDED(hr))
            hr = SetString(instance, L"FriendlyName", registration.friendlyName);
        if (SUCCEEDED(hr))
            hr = SetString(instance, L"CLSID", clsid);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer()
{
    for (const Registration& registration : kRegistrations)
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(*registration.clsid)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(kTestFilterCategory)).c_str());
    return S_OK;
}
