// CEnumPins and CEnumMediaTypes: Next, Skip, Reset, Clone and version changes; and
// the reference counting of a filter and its pins.
#include <gtest/gtest.h>

#include "TestFilters.h"

namespace {

class Enumerators : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, CBaseObject::ObjectsActive());
        source = TestSource::Create(2);
        source->AddRef();
    }
    void TearDown() override
    {
        EXPECT_EQ(0u, source->Release());
        EXPECT_EQ(0, CBaseObject::ObjectsActive()) << "an enumerator, pin or filter was not freed";
    }

    static std::wstring Name(IPin* pin)
    {
        PIN_INFO info{};
        pin->QueryPinInfo(&info);
        if (info.pFilter)
            info.pFilter->Release();
        return info.achName;
    }

    static void ReleaseAll(IPin** pins, ULONG count)
    {
        for (ULONG i = 0; i < count; ++i)
            pins[i]->Release();
    }

    TestSource* source = nullptr;
};

TEST_F(Enumerators, PinsNextSkipResetAndClone)
{
    IEnumPins* pins = nullptr;
    ASSERT_EQ(S_OK, source->EnumPins(&pins));
    IPin* got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(E_INVALIDARG, pins->Next(2, got, nullptr)) << "more than one needs a count";
    EXPECT_EQ(S_FALSE, pins->Next(3, got, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(L"Out0", Name(got[0]));
    EXPECT_EQ(L"Out1", Name(got[1]));
    ReleaseAll(got, fetched);
    EXPECT_EQ(S_FALSE, pins->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);

    ASSERT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Skip(1));
    IEnumPins* clone = nullptr;
    ASSERT_EQ(S_OK, pins->Clone(&clone));
    EXPECT_EQ(S_FALSE, pins->Skip(2)) << "past the end";
    ASSERT_EQ(S_OK, clone->Next(1, got, nullptr)) << "a clone keeps the position";
    EXPECT_EQ(L"Out1", Name(got[0]));
    got[0]->Release();
    clone->Release();

    // A new pin puts the enumerator out of sync until Reset.
    source->AddStream(L"Out2");
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Next(1, got, &fetched));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Skip(1));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Clone(&clone));
    ASSERT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Next(3, got, &fetched));
    EXPECT_EQ(3u, fetched);
    EXPECT_EQ(L"Out2", Name(got[2]));
    ReleaseAll(got, fetched);
    pins->Release();

    IPin* found = nullptr;
    ASSERT_EQ(S_OK, source->FindPin(L"Out1", &found));
    EXPECT_EQ(static_cast<IPin*>(source->Stream(1)), found);
    found->Release();
    EXPECT_EQ(VFW_E_NOT_FOUND, source->FindPin(L"Missing", &found));
}

TEST_F(Enumerators, MediaTypesComeAsTaskMemoryCopiesInOrder)
{
    const CMediaType rgb32 = MakeVideoType(MEDIASUBTYPE_RGB32, 8, 8, 1000);
    const CMediaType rgb24 = MakeVideoType(MEDIASUBTYPE_RGB24, 8, 8, 1000);
    source->Stream(0)->SetMediaTypes({rgb32, rgb24});

    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(S_OK, source->Stream(0)->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, types->Next(3, got, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_TRUE(rgb32 == CMediaType(*got[0]));
    EXPECT_TRUE(rgb24 == CMediaType(*got[1]));
    EXPECT_NE(rgb32.pbFormat, got[0]->pbFormat);
    DeleteMediaType(got[0]);
    DeleteMediaType(got[1]);

    ASSERT_EQ(S_OK, types->Reset());
    EXPECT_EQ(S_OK, types->Skip(1));
    IEnumMediaTypes* clone = nullptr;
    ASSERT_EQ(S_OK, types->Clone(&clone));
    EXPECT_EQ(S_FALSE, types->Skip(5));
    ASSERT_EQ(S_OK, clone->Next(1, got, nullptr));
    EXPECT_EQ(MEDIASUBTYPE_RGB24, got[0]->subtype);
    DeleteMediaType(got[0]);
    clone->Release();

    source->Stream(0)->SetMediaTypes({rgb24});
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, types->Next(1, got, &fetched));
    ASSERT_EQ(S_OK, types->Reset());
    ASSERT_EQ(S_OK, types->Next(1, got, &fetched));
    EXPECT_EQ(MEDIASUBTYPE_RGB24, got[0]->subtype);
    DeleteMediaType(got[0]);
    types->Release();
}

TEST_F(Enumerators, PinsCountTheirReferencesOnTheFilter)
{
    IPin* pin = source->Stream(0);
    pin->AddRef();
    EXPECT_EQ(3u, source->AddRef()) << "the pin's reference went to the filter";
    source->Release();
    IBaseFilter* filter = nullptr;
    PIN_INFO info{};
    ASSERT_EQ(S_OK, pin->QueryPinInfo(&info));
    filter = info.pFilter;
    EXPECT_EQ(static_cast<IBaseFilter*>(source), filter);
    filter->Release();
    pin->Release();

    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, source->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    IBaseFilter* asFilter = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&asFilter)));
    IUnknown* again = nullptr;
    ASSERT_EQ(S_OK, asFilter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)));
    EXPECT_EQ(unknown, again) << "one identity";
    again->Release();
    asFilter->Release();
    unknown->Release();
}

}  // namespace
