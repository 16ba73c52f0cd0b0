// The simulated card as a program finds and inspects it: device enumeration, monikers, pins
// and categories, the crossbar link and routing, the decoder readings and stream capabilities.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CardCaptureGraph.h"
#include "SimControl.h"
#include "zelvan/ZelvanCard.h"

namespace {

class CardFilters : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

std::wstring ReadText(IPropertyBag* bag, const wchar_t* name)
{
    VARIANT value;
    VariantInit(&value);
    std::wstring text;
    if (SUCCEEDED(bag->Read(name, &value, nullptr)) && value.vt == VT_BSTR)
        text = value.bstrVal;
    VariantClear(&value);
    return text;
}

ComPtr<IBaseFilter> BindCrossbar()
{
    ComPtr<IBindCtx> context;
    ComPtr<IMoniker> moniker;
    ComPtr<IBaseFilter> crossbar;
    ULONG eaten = 0;
    CreateBindCtx(0, &context);
    if (SUCCEEDED(MkParseDisplayName(context.Get(), zelvan::kCrossbarMoniker, &eaten, &moniker)))
        moniker->BindToObject(context.Get(), nullptr, IID_PPV_ARGS(&crossbar));
    return crossbar;
}

TEST_F(CardFilters, CaptureDeviceIsListedWithItsNameAndDescription)
{
    ComPtr<ICreateDevEnum> devices;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&devices)));
    ComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(S_OK, devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0));
    int found = 0;
    for (ComPtr<IMoniker> moniker; monikers->Next(1, &moniker, nullptr) == S_OK; moniker.Reset()) {
        ComPtr<IPropertyBag> bag;
        ASSERT_HRESULT_SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag)));
        if (ReadText(bag.Get(), L"FriendlyName") != zelvan::kCaptureDeviceName)
            continue;
        ++found;
        EXPECT_EQ(zelvan::kCaptureDeviceName, ReadText(bag.Get(), L"Description"));
        ComPtr<IBaseFilter> filter;
        EXPECT_HRESULT_SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter)));
        ComPtr<IAMAnalogVideoDecoder> decoder;
        EXPECT_HRESULT_SUCCEEDED(
            filter->QueryInterface(IID_IAMAnalogVideoDecoder, reinterpret_cast<void**>(decoder.GetAddressOf())));
    }
    EXPECT_EQ(1, found);
}

TEST_F(CardFilters, PinsComeInOrderWithTheirCategories)
{
    CaptureGraph graph;
    ASSERT_TRUE(graph.capture);
    const struct {
        const wchar_t* name;
        PIN_DIRECTION direction;
        GUID category;
    } expected[] = {
        {L"Analog Video In", PINDIR_INPUT, PIN_CATEGORY_ANALOGVIDEOIN},
        {L"Video Capture", PINDIR_OUTPUT, PIN_CATEGORY_CAPTURE},
        {L"Video Preview", PINDIR_OUTPUT, PIN_CATEGORY_PREVIEW},
        {L"Audio Preview", PINDIR_OUTPUT, PIN_CATEGORY_PREVIEW},
        {L"Audio Capture", PINDIR_OUTPUT, PIN_CATEGORY_CAPTURE},
    };
    ComPtr<IEnumPins> pins;
    ASSERT_HRESULT_SUCCEEDED(graph.capture->EnumPins(&pins));
    size_t index = 0;
    for (ComPtr<IPin> pin; pins->Next(1, &pin, nullptr) == S_OK; pin.Reset(), ++index) {
        ASSERT_LT(index, std::size(expected));
        PIN_INFO info{};
        ASSERT_HRESULT_SUCCEEDED(pin->QueryPinInfo(&info));
        if (info.pFilter)
            info.pFilter->Release();
        EXPECT_STREQ(expected[index].name, info.achName);
        EXPECT_EQ(expected[index].direction, info.dir);
        EXPECT_EQ(expected[index].category, PinCategory(pin.Get())) << index;
    }
    EXPECT_EQ(std::size(expected), index);

    // The capture graph builder finds them by category and type.
    ComPtr<IPin> found;
    ASSERT_HRESULT_SUCCEEDED(graph.builder->FindPin(graph.capture.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW,
                                                    &MEDIATYPE_Audio, FALSE, 0, &found));
    EXPECT_EQ(PinNamed(graph.capture.Get(), L"Audio Preview").Get(), found.Get());
}

// A program finds the crossbar by walking upstream from the analog video input.
ComPtr<IAMCrossbar> CrossbarUpstream(IBaseFilter* capture)
{
    ComPtr<IPin> peer;
    ComPtr<IAMCrossbar> crossbar;
    if (SUCCEEDED(PinNamed(capture, L"Analog Video In")->ConnectedTo(&peer))) {
        PIN_INFO info{};
        if (SUCCEEDED(peer->QueryPinInfo(&info)) && info.pFilter) {
            info.pFilter->QueryInterface(IID_PPV_ARGS(&crossbar));
            info.pFilter->Release();
        }
    }
    return crossbar;
}

TEST_F(CardFilters, CrossbarJoinsTheAnalogVideoInputInEitherOrder)
{
    {
        // Crossbar first, as a program opening the card adds them.
        ComPtr<IGraphBuilder> graph;
        ASSERT_HRESULT_SUCCEEDED(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph)));
        ComPtr<IBaseFilter> crossbar = BindCrossbar();
        ASSERT_TRUE(crossbar) << "crossbar moniker";
        ASSERT_HRESULT_SUCCEEDED(graph->AddFilter(crossbar.Get(), L"Crossbar"));
        ComPtr<IBaseFilter> capture;
        ASSERT_HRESULT_SUCCEEDED(
            CoCreateInstance(kClsidZelvanCapture, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&capture)));
        ASSERT_HRESULT_SUCCEEDED(graph->AddFilter(capture.Get(), L"Capture Filter"));
        ComPtr<IAMCrossbar> found = CrossbarUpstream(capture.Get());
        ComPtr<IAMCrossbar> bound;
        crossbar.As(&bound);
        EXPECT_EQ(bound.Get(), found.Get());

        // Removing the crossbar takes the link with it.
        ASSERT_HRESULT_SUCCEEDED(graph->RemoveFilter(crossbar.Get()));
        ComPtr<IPin> peer;
        EXPECT_EQ(VFW_E_NOT_CONNECTED, PinNamed(capture.Get(), L"Analog Video In")->ConnectedTo(&peer));
    }
    {
        CaptureGraph graph;  // capture filter first
        ComPtr<IBaseFilter> crossbar = BindCrossbar();
        ASSERT_HRESULT_SUCCEEDED(graph.Add(crossbar.Get(), L"Crossbar"));
        EXPECT_TRUE(CrossbarUpstream(graph.capture.Get()));
    }
}

TEST_F(CardFilters, CrossbarDescribesItsPinsAndRoutesWithinKinds)
{
    ComPtr<IBaseFilter> filter = BindCrossbar();
    ComPtr<IAMCrossbar> crossbar;
    ASSERT_TRUE(filter && SUCCEEDED(filter.As(&crossbar)));
    long outputs = 0, inputs = 0;
    ASSERT_HRESULT_SUCCEEDED(crossbar->get_PinCounts(&outputs, &inputs));
    EXPECT_EQ(2, outputs);
    EXPECT_EQ(6, inputs);

    // The pins enumerate inputs first, then outputs.
    ComPtr<IEnumPins> pins;
    ASSERT_HRESULT_SUCCEEDED(filter->EnumPins(&pins));
    std::vector<PIN_DIRECTION> directions;
    for (ComPtr<IPin> pin; pins->Next(1, &pin, nullptr) == S_OK; pin.Reset()) {
        PIN_DIRECTION direction{};
        pin->QueryDirection(&direction);
        directions.push_back(direction);
    }
    EXPECT_EQ((std::vector<PIN_DIRECTION>{PINDIR_INPUT, PINDIR_INPUT, PINDIR_INPUT, PINDIR_INPUT, PINDIR_INPUT,
                                          PINDIR_INPUT, PINDIR_OUTPUT, PINDIR_OUTPUT}),
              directions);

    long related = 0, type = 0;
    ASSERT_HRESULT_SUCCEEDED(crossbar->get_CrossbarPinInfo(TRUE, 3, &related, &type));
    EXPECT_EQ(PhysConn_Video_Composite, type);
    EXPECT_EQ(2, related);
    ASSERT_HRESULT_SUCCEEDED(crossbar->get_CrossbarPinInfo(FALSE, 0, &related, &type));
    EXPECT_EQ(PhysConn_Video_VideoDecoder, type);
    EXPECT_EQ(1, related);
    EXPECT_EQ(E_INVALIDARG, crossbar->get_CrossbarPinInfo(TRUE, 6, &related, &type));

    // The counting of audio inputs: index 1 is S/PDIF, index 2 the line input.
    long count = 0;
    std::vector<long> audioIndexInput(3, -1);
    for (long j = 0; j < inputs && count < 3; ++j) {
        audioIndexInput[count] = j;
        crossbar->get_CrossbarPinInfo(TRUE, j, &related, &type);
        if (type >= PhysConn_Audio_Tuner && type <= PhysConn_Audio_AudioDecoder)
            ++count;
    }
    crossbar->get_CrossbarPinInfo(TRUE, audioIndexInput[1], &related, &type);
    EXPECT_EQ(PhysConn_Audio_SPDIFDigital, type);
    crossbar->get_CrossbarPinInfo(TRUE, audioIndexInput[2], &related, &type);
    EXPECT_EQ(PhysConn_Audio_Line, type);

    EXPECT_EQ(S_OK, crossbar->CanRoute(0, 3));
    EXPECT_EQ(S_FALSE, crossbar->CanRoute(0, 1));
    EXPECT_EQ(S_FALSE, crossbar->CanRoute(1, 3));
    EXPECT_TRUE(FAILED(crossbar->Route(0, 1)));
    ASSERT_HRESULT_SUCCEEDED(crossbar->Route(1, 2));
    long routed = -1;
    ASSERT_HRESULT_SUCCEEDED(crossbar->get_IsRoutedTo(1, &routed));
    EXPECT_EQ(2, routed);
    ASSERT_HRESULT_SUCCEEDED(crossbar->Route(1, 1));
    ASSERT_HRESULT_SUCCEEDED(crossbar->get_IsRoutedTo(0, &routed));
    EXPECT_EQ(3, routed);
}

struct Reading {
    long locked = -1;
    long lines = -1;
};

Reading ReadDecoder(IAMAnalogVideoDecoder* decoder)
{
    Reading reading;
    decoder->get_HorizontalLocked(&reading.locked);
    decoder->get_NumberOfLines(&reading.lines);
    return reading;
}

TEST_F(CardFilters, DecoderFollowsTheSimulatedInputWithin100ms)
{
    CaptureGraph graph;
    ComPtr<IAMAnalogVideoDecoder> decoder;
    ASSERT_HRESULT_SUCCEEDED(
        graph.capture->QueryInterface(IID_IAMAnalogVideoDecoder, reinterpret_cast<void**>(decoder.GetAddressOf())));
    SimControl control;
    const struct {
        const wchar_t* input;
        long locked;
        long lines;
    } inputs[] = {{L"none", 0, 0},   {L"480i", 1, 525},   {L"480p", 2, 525},       {L"1080i", 1, 1125},
                  {L"720p", 2, 750}, {L"1080p", 2, 1125}, {L"unsupported", 1, 625}};
    for (const auto& input : inputs) {
        control.Text(L"Input", input.input);
        Sleep(100);
        const Reading reading = ReadDecoder(decoder.Get());
        EXPECT_EQ(input.locked, reading.locked) << input.input;
        EXPECT_EQ(input.lines, reading.lines) << input.input;
    }

    ASSERT_HRESULT_SUCCEEDED(decoder->put_TVFormat(AnalogVideo_NTSC_M_J));
    long format = 0;
    ASSERT_HRESULT_SUCCEEDED(decoder->get_TVFormat(&format));
    EXPECT_EQ(AnalogVideo_NTSC_M_J, format);
    long value = -1;
    EXPECT_HRESULT_SUCCEEDED(decoder->get_OutputEnable(&value));
    EXPECT_HRESULT_SUCCEEDED(decoder->get_VCRHorizontalLocking(&value));
}

VIDEOINFOHEADER VideoInfo(const AM_MEDIA_TYPE& type)
{
    return *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
}

TEST_F(CardFilters, VideoPinsOfferEveryInputFormatAndKeepTheFormatSet)
{
    CaptureGraph graph;
    for (const wchar_t* pinName : {L"Video Capture", L"Video Preview"}) {
        ComPtr<IAMStreamConfig> config;
        ASSERT_HRESULT_SUCCEEDED(PinNamed(graph.capture.Get(), pinName).As(&config));
        int count = 0, size = 0;
        ASSERT_HRESULT_SUCCEEDED(config->GetNumberOfCapabilities(&count, &size));
        ASSERT_EQ(static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)), size);
        std::vector<std::tuple<LONG, LONG, REFERENCE_TIME>> offered;
        for (int i = 0; i < count; ++i) {
            AM_MEDIA_TYPE* type = nullptr;
            VIDEO_STREAM_CONFIG_CAPS caps{};
            ASSERT_EQ(S_OK, config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)));
            EXPECT_EQ(MEDIATYPE_Video, type->majortype);
            EXPECT_EQ(MEDIASUBTYPE_YUY2, type->subtype);
            EXPECT_EQ(FORMAT_VideoInfo, type->formattype);
            const VIDEOINFOHEADER info = VideoInfo(*type);
            EXPECT_EQ(MAKEFOURCC('Y', 'U', 'Y', '2'), info.bmiHeader.biCompression);
            EXPECT_EQ(info.bmiHeader.biWidth * info.bmiHeader.biHeight * 2,
                      static_cast<LONG>(info.bmiHeader.biSizeImage));
            offered.emplace_back(info.bmiHeader.biWidth, info.bmiHeader.biHeight, info.AvgTimePerFrame);
            FreeType(*type);
            CoTaskMemFree(type);
        }
        using Row = std::tuple<LONG, LONG, REFERENCE_TIME>;
        for (const Row& row : {Row{720, 480, 333667}, Row{720, 480, 166833}, Row{1920, 1080, 333667},
                               Row{1280, 720, 166833}, Row{1920, 1080, 166833}})
            EXPECT_EQ(1, std::count(offered.begin(), offered.end(), row))
                << std::get<0>(row) << "x" << std::get<1>(row);
        EXPECT_TRUE(std::any_of(offered.begin(), offered.end(),
                                [](const Row& r) { return std::get<1>(r) == 720 && std::get<2>(r) != 166833; }));

        // A right size at another rate, given the rate it is wanted at, is kept as given.
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(S_OK, config->GetStreamCaps(count - 2, &type, reinterpret_cast<BYTE*>(&caps)));
        reinterpret_cast<VIDEOINFOHEADER*>(type->pbFormat)->AvgTimePerFrame = 166833;
        ASSERT_HRESULT_SUCCEEDED(config->SetFormat(type));
        FreeType(*type);
        CoTaskMemFree(type);
        ASSERT_HRESULT_SUCCEEDED(config->GetFormat(&type));
        EXPECT_EQ(1280, VideoInfo(*type).bmiHeader.biWidth);
        EXPECT_EQ(166833, VideoInfo(*type).AvgTimePerFrame);
        FreeType(*type);
        CoTaskMemFree(type);

        AM_MEDIA_TYPE strange{};
        strange.majortype = MEDIATYPE_Video;
        EXPECT_TRUE(FAILED(config->SetFormat(&strange)));
    }
}

TEST_F(CardFilters, OmittingACapabilityLeavesOnlyTheOtherRate)
{
    SimControl control;
    control.Number(L"OmitCapability", 4);
    Sleep(100);
    CaptureGraph graph;
    ComPtr<IAMStreamConfig> config;
    ASSERT_HRESULT_SUCCEEDED(PinNamed(graph.capture.Get(), L"Video Capture").As(&config));
    int count = 0, size = 0;
    ASSERT_HRESULT_SUCCEEDED(config->GetNumberOfCapabilities(&count, &size));
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(S_OK, config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)));
        const VIDEOINFOHEADER info = VideoInfo(*type);
        EXPECT_FALSE(info.bmiHeader.biHeight == 720 && info.AvgTimePerFrame == 166833);
        FreeType(*type);
        CoTaskMemFree(type);
    }
}

TEST_F(CardFilters, AudioPinsOffer48And44kHzStereoPcm)
{
    CaptureGraph graph;
    ComPtr<IAMStreamConfig> config;
    ASSERT_HRESULT_SUCCEEDED(PinNamed(graph.capture.Get(), L"Audio Capture").As(&config));
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_HRESULT_SUCCEEDED(config->GetFormat(&type));
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type->pbFormat);
    EXPECT_EQ(48000u, format->nSamplesPerSec);
    EXPECT_EQ(2, format->nChannels);
    EXPECT_EQ(16, format->wBitsPerSample);
    format->nSamplesPerSec = 44100;
    format->nAvgBytesPerSec = 44100 * 4;
    EXPECT_HRESULT_SUCCEEDED(config->SetFormat(type));
    format->nSamplesPerSec = 32000;
    EXPECT_TRUE(FAILED(config->SetFormat(type)));
    FreeType(*type);
    CoTaskMemFree(type);
    ASSERT_HRESULT_SUCCEEDED(config->GetFormat(&type));
    EXPECT_EQ(44100u, reinterpret_cast<WAVEFORMATEX*>(type->pbFormat)->nSamplesPerSec);
    FreeType(*type);
    CoTaskMemFree(type);
}

}  // namespace
