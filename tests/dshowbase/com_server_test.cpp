// A COM server built on the class factory table: aggregation, unload counting,
// registration in a filter category and unregistration.
#include "ComTestSupport.h"
#include "TestFilters.h"

#include <string>

namespace {

const wchar_t kServerDll[] = L"dshowbase_test_server.dll";
const wchar_t kMonikerName[] =
    L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{5B3C7E1A-2F44-4C0B-9D7E-6A1F0C3B8E21}";

// An outer object that aggregates the inner one and forwards every interface but IUnknown.
class Outer : public IUnknown {
public:
    LONG refs = 1;
    IUnknown* inner = nullptr;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs); }
};

class ComServer : public ComApartment {
protected:
    using Entry = HRESULT(STDAPICALLTYPE*)();
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

    template <class Function>
    Function Export(const char* name)
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    void SetUp() override
    {
        ComApartment::SetUp();
        module = LoadLibraryW(kServerDll);
        ASSERT_NE(nullptr, module);
        getClassObject = Export<GetClassObject>("DllGetClassObject");
        canUnloadNow = Export<Entry>("DllCanUnloadNow");
        registerServer = Export<Entry>("DllRegisterServer");
        unregisterServer = Export<Entry>("DllUnregisterServer");
        ASSERT_TRUE(getClassObject && canUnloadNow && registerServer && unregisterServer);
    }

    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
        ComApartment::TearDown();
    }

    // How many monikers of the legacy filter category name our CLSID.
    static int CategoryEntries()
    {
        auto devices = CreateInproc<ICreateDevEnum>(CLSID_SystemDeviceEnum, IID_ICreateDevEnum);
        Ref<IEnumMoniker> monikers;
        if (!devices || devices->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, monikers.Out(), 0) != S_OK)
            return 0;
        int found = 0;
        for (;;) {
            Ref<IMoniker> moniker;
            if (monikers->Next(1, moniker.Out(), nullptr) != S_OK)
                return found;
            Ref<IPropertyBag> bag;
            if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.OutVoid())))
                continue;
            VARIANT value;
            VariantInit(&value);
            if (SUCCEEDED(bag->Read(L"CLSID", &value, nullptr)) && value.vt == VT_BSTR) {
                CLSID clsid{};
                if (SUCCEEDED(CLSIDFromString(value.bstrVal, &clsid)) && clsid == CLSID_TestSink)
                    ++found;
            }
            VariantClear(&value);
        }
    }

    static Ref<IMoniker> ParseMoniker()
    {
        Ref<IBindCtx> context;
        CreateBindCtx(0, context.Out());
        Ref<IMoniker> moniker;
        ULONG eaten = 0;
        MkParseDisplayName(context, kMonikerName, &eaten, moniker.Out());
        return moniker;
    }

    static std::wstring FriendlyName(IMoniker* moniker)
    {
        Ref<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.OutVoid())))
            return {};
        VARIANT value;
        VariantInit(&value);
        std::wstring name;
        if (SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR)
            name = value.bstrVal;
        VariantClear(&value);
        return name;
    }

    static std::wstring RegistryString(const std::wstring& key, const wchar_t* value)
    {
        wchar_t text[MAX_PATH * 2] = {};
        DWORD bytes = sizeof text;
        if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
            return {};
        return text;
    }

    HMODULE module = nullptr;
    GetClassObject getClassObject = nullptr;
    Entry canUnloadNow = nullptr;
    Entry registerServer = nullptr;
    Entry unregisterServer = nullptr;
};

TEST_F(ComServer, FactoryAggregatesOnlyThroughIUnknownAndCountsObjectsAndLocks)
{
    Ref<IClassFactory> factory;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(CLSID_TestSource, IID_IClassFactory, factory.OutVoid()));
    ASSERT_EQ(S_OK, getClassObject(CLSID_TestSink, IID_IClassFactory, factory.OutVoid()));
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "the factory is alive";

    Outer outer;
    Ref<IBaseFilter> refused;
    EXPECT_HRESULT_FAILED(factory->CreateInstance(&outer, IID_IBaseFilter, refused.OutVoid()));
    EXPECT_FALSE(refused);

    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)));
    ASSERT_NE(nullptr, outer.inner);
    EXPECT_NE(static_cast<IUnknown*>(&outer), outer.inner) << "the inner object's own IUnknown";
    EXPECT_EQ(1, outer.refs) << "creating the inner object takes no reference on the outer";

    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, outer.inner->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    EXPECT_EQ(2, outer.refs) << "interfaces of the inner object count on the outer";
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity) << "QueryInterface delegates to the outer";
    identity->Release();
    IMediaSeeking* seeking = nullptr;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)))
        << "through the outer, to the inner and its own aggregated pass-through";
    EXPECT_EQ(3, outer.refs);
    seeking->Release();
    filter->Release();
    EXPECT_EQ(1, outer.refs);

    EXPECT_EQ(0u, outer.inner->Release()) << "the outer's reference was the last";
    outer.inner = nullptr;

    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "locked";
    Ref<IClassFactory> again;
    ASSERT_EQ(S_OK, getClassObject(CLSID_TestSink, IID_IClassFactory, again.OutVoid()));
    again->LockServer(FALSE);
    again.Reset();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(ComServer, RegisteredFilterIsFoundByMonikerUntilUnregistered)
{
    ASSERT_EQ(S_OK, unregisterServer()) << "nothing registered is no failure";
    ASSERT_EQ(S_OK, registerServer());

    const std::wstring classKey = L"CLSID\\{5B3C7E1A-2F44-4C0B-9D7E-6A1F0C3B8E21}";
    EXPECT_EQ(L"dshowbase Test Sink", RegistryString(classKey, nullptr));
    EXPECT_EQ(L"Both", RegistryString(classKey + L"\\InprocServer32", L"ThreadingModel"));
    const std::wstring server = RegistryString(classKey + L"\\InprocServer32", nullptr);
    ASSERT_GE(server.size(), std::size(kServerDll) - 1);
    EXPECT_EQ(kServerDll, server.substr(server.size() - (std::size(kServerDll) - 1)));

    EXPECT_EQ(1, CategoryEntries());
    Ref<IMoniker> moniker = ParseMoniker();
    ASSERT_TRUE(moniker);
    EXPECT_EQ(L"dshowbase Test Sink", FriendlyName(moniker));
    {
        Ref<IBaseFilter> filter;
        ASSERT_EQ(S_OK, moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.OutVoid()));
        CLSID clsid{};
        ASSERT_EQ(S_OK, filter->GetClassID(&clsid));
        EXPECT_EQ(CLSID_TestSink, clsid);

        Outer outer;
        Ref<IBaseFilter> refused;
        EXPECT_HRESULT_FAILED(
            CoCreateInstance(CLSID_TestSink, &outer, CLSCTX_INPROC_SERVER, IID_IBaseFilter, refused.OutVoid()))
            << "aggregation must ask for IUnknown";
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TestSink, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                         reinterpret_cast<void**>(&outer.inner)));
        outer.inner->Release();
    }
    moniker.Reset();
    EXPECT_EQ(S_OK, canUnloadNow());

    EXPECT_EQ(S_OK, unregisterServer());
    EXPECT_EQ(S_OK, unregisterServer()) << "a second unregistration";
    EXPECT_EQ(0, CategoryEntries());
    moniker = ParseMoniker();
    if (moniker) {  // the name may still parse; it must no longer lead to the filter
        EXPECT_EQ(L"", FriendlyName(moniker));
    }
    EXPECT_EQ(L"", RegistryString(classKey, nullptr));
    Ref<IBaseFilter> gone;
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              CoCreateInstance(CLSID_TestSink, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, gone.OutVoid()));
}

}  // namespace
