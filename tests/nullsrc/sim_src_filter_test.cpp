// The null source under Wine's filter graph manager, ahead of the stand-in G.711 compressor.
#include "SimSrcFilter.h"

#include <gtest/gtest.h>

#include "StandinGraph.h"

namespace {

class SimSrcFilterTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CSimSrcFilter* created = nullptr;
        ASSERT_EQ(S_OK, CSimSrcFilter::Create(&created));
        filter.Attach(created);
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph)));
        ASSERT_EQ(S_OK, graph->AddFilter(filter.Get(), L"Null Source"));
        compressor = CreateFilter(kClsidG711Compressor);
        ASSERT_TRUE(compressor) << "StandinCodecs.dll is not registered";
        ASSERT_EQ(S_OK, graph->AddFilter(compressor.Get(), L"Compressor"));
    }
    void TearDown() override
    {
        compressor.Reset();
        filter.Reset();
        graph.Reset();
        CoUninitialize();
    }

    void Add(DWORD rate, WORD channels)
    {
        AM_MEDIA_TYPE* type = NewPcmType(rate, channels);
        ASSERT_EQ(S_OK, filter->AddMediaType(*type));
        DeleteType(type);
    }
    ComPtr<IPin> Output() { return FirstPin(filter.Get(), PINDIR_OUTPUT); }
    HRESULT ConnectToCompressor()
    {
        return graph->ConnectDirect(Output().Get(), FirstPin(compressor.Get(), PINDIR_INPUT).Get(), nullptr);
    }

    ComPtr<CSimSrcFilter> filter;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> compressor;
};

TEST_F(SimSrcFilterTest, HasOneOutputPinMadeOnceAndNoSetupData)
{
    CBasePin* first = filter->GetPin(0);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, filter->GetPin(0));
    EXPECT_EQ(nullptr, filter->GetPin(1));
    EXPECT_EQ(nullptr, filter->GetPin(-1));
    EXPECT_EQ(nullptr, filter->GetSetupData());
    EXPECT_EQ(1, filter->GetPinCount());

    ComPtr<IPin> found;
    ASSERT_EQ(S_OK, filter->FindPin(L"Output", &found));
    EXPECT_EQ(static_cast<IPin*>(first), found.Get());
    PIN_DIRECTION direction;
    EXPECT_EQ(S_OK, found->QueryDirection(&direction));
    EXPECT_EQ(PINDIR_OUTPUT, direction);
}

TEST_F(SimSrcFilterTest, AnEmptyListAcceptsAndEnumeratesNothing)
{
    CBasePin* pin = filter->GetPin(0);
    CMediaType type;
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, pin->GetMediaType(0, &type));
    EXPECT_EQ(E_INVALIDARG, pin->GetMediaType(-1, &type));

    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, Output()->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* next = nullptr;
    ULONG fetched = 7;
    EXPECT_EQ(S_FALSE, types->Next(1, &next, &fetched));
    EXPECT_EQ(0u, fetched);

    AM_MEDIA_TYPE* pcm = NewPcmType(44100, 2);
    EXPECT_NE(S_OK, Output()->QueryAccept(pcm));
    DeleteType(pcm);
    EXPECT_HRESULT_FAILED(ConnectToCompressor());
}

TEST_F(SimSrcFilterTest, OffersItsTypesInOrderAsFullCopies)
{
    Add(44100, 2);
    Add(48000, 1);
    CBasePin* pin = filter->GetPin(0);
    CMediaType type;
    ASSERT_EQ(S_OK, pin->GetMediaType(1, &type));
    EXPECT_EQ(48000u, WaveFormat(&type).nSamplesPerSec);
    EXPECT_EQ(1, WaveFormat(&type).nChannels);
    ASSERT_EQ(S_OK, pin->GetMediaType(0, &type));
    EXPECT_EQ(44100u, WaveFormat(&type).nSamplesPerSec);
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, pin->GetMediaType(2, &type));
    EXPECT_EQ(E_UNEXPECTED, pin->GetMediaType(0, nullptr));
}

TEST_F(SimSrcFilterTest, RefusesATypeThatDiffersOnlyInItsFormatBytes)
{
    Add(44100, 2);
    AM_MEDIA_TYPE* same = NewPcmType(44100, 2);
    AM_MEDIA_TYPE* otherRate = NewPcmType(48000, 2);
    EXPECT_EQ(S_OK, Output()->QueryAccept(same));
    EXPECT_NE(S_OK, Output()->QueryAccept(otherRate));
    // The same bytes with two more: the format block's size differs.
    AM_MEDIA_TYPE* longer = NewPcmType(44100, 2);
    longer->pbFormat = static_cast<BYTE*>(CoTaskMemRealloc(longer->pbFormat, longer->cbFormat + 2));
    longer->pbFormat[longer->cbFormat] = longer->pbFormat[longer->cbFormat + 1] = 0;
    longer->cbFormat += 2;
    EXPECT_NE(S_OK, Output()->QueryAccept(longer));
    for (AM_MEDIA_TYPE* type : {same, otherRate, longer})
        DeleteType(type);
}

TEST_F(SimSrcFilterTest, ConnectsACompressorWithItsTypeAndLetsItBeAsked)
{
    Add(44100, 1);
    ASSERT_EQ(S_OK, ConnectToCompressor());
    AM_MEDIA_TYPE connected{};
    ASSERT_EQ(S_OK, Output()->ConnectionMediaType(&connected));
    EXPECT_EQ(44100u, WaveFormat(&connected).nSamplesPerSec);
    EXPECT_EQ(1, WaveFormat(&connected).nChannels);
    CoTaskMemFree(connected.pbFormat);

    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(S_OK, FirstPin(compressor.Get(), PINDIR_OUTPUT).As(&config));
    AM_MEDIA_TYPE* output = nullptr;
    ASSERT_EQ(S_OK, config->GetFormat(&output));
    EXPECT_EQ(44100u, WaveFormat(output).nSamplesPerSec);
    DeleteType(output);

    // The owner's last steps: out of the graph, and released.
    EXPECT_EQ(S_OK, graph->RemoveFilter(filter.Get()));
    ComPtr<IPin> peer;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, FirstPin(compressor.Get(), PINDIR_INPUT)->ConnectedTo(&peer));
}

}  // namespace
