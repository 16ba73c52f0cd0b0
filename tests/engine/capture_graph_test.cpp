// The engine against the simulated card: opening, the crossbar walk, the
// format on the pins, detection, preview, mute, renderers and clean release.
#include "CaptureGraph.h"
#include "CrossbarPath.h"
#include "DeviceLists.h"
#include "../profiles/CurrentProfiles.h"
#include "CardTestSupport.h"
#include "DetectionDriver.h"

#include "TestTone.h"

#include <gtest/gtest.h>
#include <qedit.h>
#include <wrl/client.h>

#include <mutex>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// Keeps the 16-bit stereo samples a grabber passes on.
class SoundCollector : public ISampleGrabberCB {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_ISampleGrabberCB)
            return E_NOINTERFACE;
        *object = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    STDMETHODIMP BufferCB(double, BYTE* data, long length) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        const auto* values = reinterpret_cast<const int16_t*>(data);
        samples_.insert(samples_.end(), values, values + length / 2);
        return S_OK;
    }
    std::vector<int16_t> Samples()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return samples_;
    }

private:
    std::mutex lock_;
    std::vector<int16_t> samples_;
};

std::wstring FilterName(IBaseFilter* filter)
{
    FILTER_INFO info{};
    if (FAILED(filter->QueryFilterInfo(&info)))
        return L"";
    if (info.pGraph)
        info.pGraph->Release();
    return info.achName;
}

// The filter's first output pin that has a peer.
ComPtr<IPin> FirstConnectedOutput(IBaseFilter* filter)
{
    ComPtr<IEnumPins> pins;
    filter->EnumPins(&pins);
    for (ComPtr<IPin> pin; pins && pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK;) {
        PIN_DIRECTION direction;
        ComPtr<IPin> peer;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT &&
            SUCCEEDED(pin->ConnectedTo(&peer)))
            return pin;
    }
    return nullptr;
}

// The pitch on the capture filter's audio capture pin, heard through a grabber
// added to the engine's idle graph for a moment.
double CapturedTone(CCaptureGraph& engine)
{
    ComPtr<IBaseFilter> grabberFilter, sink;
    ComPtr<ISampleGrabber> grabber;
    SoundCollector collector;
    if (FAILED(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&grabberFilter))) ||
        FAILED(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&sink))) ||
        FAILED(grabberFilter.As(&grabber)))
        return -1;
    engine.Graph()->AddFilter(grabberFilter.Get(), L"Tone Grabber");
    engine.Graph()->AddFilter(sink.Get(), L"Tone Sink");
    grabber->SetCallback(&collector, 1);
    ComPtr<IMediaControl> control;
    engine.Graph()->QueryInterface(IID_PPV_ARGS(&control));
    double tone = -1;
    if (SUCCEEDED(engine.Builder()->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, engine.CaptureFilter(),
                                                 grabberFilter.Get(), sink.Get())) &&
        SUCCEEDED(control->Run())) {
        constexpr size_t kWanted = 48000 / 4 * 2;  // a quarter of a second, two channels
        const DWORD started = GetTickCount();
        while (collector.Samples().size() < kWanted && GetTickCount() - started < 5000)
            Sleep(20);
        control->Stop();
        const std::vector<int16_t> samples = collector.Samples();
        tone = cardsim::ReadAudio(samples.data(), samples.size() / 2, 48000).toneHz;
    }
    grabber->SetCallback(nullptr, 1);
    engine.TearDown();
    return tone;
}

class CaptureGraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ResetCard();
        host = MakeHostWindow();
        view = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 360, host, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        engine = std::make_unique<CCaptureGraph>();
        CaptureSetup setup;
        setup.viewWindow = view;
        setup.notifyWindow = host;
        setup.graphEventMessage = WM_APP + 2;
        setup.stillImageMessage = WM_APP + 3;
        engine->Configure(setup);
    }
    void TearDown() override
    {
        engine.reset();
        DestroyWindow(host);
        ResetCard();
        CoUninitialize();
    }

    // The video format the pin of the category is set to.
    static VIDEOINFOHEADER PinFormat(CCaptureGraph& graph, const GUID& category)
    {
        ComPtr<IAMStreamConfig> config;
        VIDEOINFOHEADER info{};
        if (FAILED(graph.Builder()->FindInterface(&category, &MEDIATYPE_Video, graph.CaptureFilter(),
                                                  IID_IAMStreamConfig,
                                                  reinterpret_cast<void**>(config.GetAddressOf()))))
            return info;
        AM_MEDIA_TYPE* type = nullptr;
        if (SUCCEEDED(config->GetFormat(&type)) && type) {
            if (type->cbFormat >= sizeof info)
                info = *reinterpret_cast<VIDEOINFOHEADER*>(type->pbFormat);
            CoTaskMemFree(type->pbFormat);
            CoTaskMemFree(type);
        }
        return info;
    }

    void UsePreviewProfile(const std::wstring& path)
    {
        CaptureSetup setup = engine->Setup();
        setup.previewProfilePath = path;
        engine->Configure(setup);
    }

    ComPtr<IAMCrossbar> Crossbar()
    {
        ComPtr<IBaseFilter> filter;
        ComPtr<IAMCrossbar> crossbar;
        if (SUCCEEDED(engine->Graph()->FindFilterByName(L"Crossbar", &filter)))
            filter.As(&crossbar);
        return crossbar;
    }

    HWND host = nullptr;
    HWND view = nullptr;
    std::unique_ptr<CCaptureGraph> engine;
};

TEST_F(CaptureGraphTest, OpenFindsTheCardAndRoutesCompositeVideoAndSpdifAudio)
{
    ASSERT_EQ(S_OK, engine->Open());
    EXPECT_EQ(engine::kIdle, engine->State());
    ComPtr<IAMCrossbar> crossbar = Crossbar();
    ASSERT_TRUE(crossbar);
    LONG routed = -1;
    ASSERT_EQ(S_OK, crossbar->get_IsRoutedTo(0, &routed));
    EXPECT_EQ(3, routed);  // Composite Video
    ASSERT_EQ(S_OK, crossbar->get_IsRoutedTo(1, &routed));
    EXPECT_EQ(1, routed);  // S/PDIF Audio
    EXPECT_EQ(3, engine->ReadInputFormat());
    EXPECT_EQ(E_FAIL, engine->Open()) << "a second open";
}

TEST_F(CaptureGraphTest, CrossbarWalkFindsEveryVideoInputAndRoutesAudioByCount)
{
    ASSERT_EQ(S_OK, engine->Open());
    std::unique_ptr<CCrossbarPath> path;
    ASSERT_EQ(S_OK, BuildCrossbarPath(engine->CaptureFilter(), path));
    ASSERT_EQ(3, path->GetChainCount());
    LONG types[3] = {};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(S_OK, path->GetInputType(i, &types[i]));
    EXPECT_EQ(PhysConn_Video_Composite, types[0]);
    EXPECT_EQ(PhysConn_Video_SVideo, types[1]);
    EXPECT_EQ(PhysConn_Video_YRYBY, types[2]);
    EXPECT_EQ(E_FAIL, path->RouteChain(3));

    ComPtr<IAMCrossbar> crossbar = Crossbar();
    LONG routed = -1;
    ASSERT_EQ(S_OK, path->RouteChain(2));
    EXPECT_EQ(2, path->GetCurrentChain());
    crossbar->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(5, routed);
    // Component video's related audio is HDMI.
    crossbar->get_IsRoutedTo(1, &routed);
    EXPECT_EQ(0, routed);

    ASSERT_EQ(S_OK, path->SelectAudioInput(2));
    crossbar->get_IsRoutedTo(1, &routed);
    EXPECT_EQ(2, routed);  // Line Audio
    ASSERT_EQ(S_OK, engine->SelectAudioInput(1));
    EXPECT_EQ(E_FAIL, path->SelectAudioInput(9));
}

TEST_F(CaptureGraphTest, FormatGoesOnBothPinsExactlyOrAtAnotherRateForced)
{
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, engine->ApplyFormatToPins(4));
    for (const GUID* category : {&PIN_CATEGORY_PREVIEW, &PIN_CATEGORY_CAPTURE}) {
        const VIDEOINFOHEADER info = PinFormat(*engine, *category);
        EXPECT_EQ(1280, info.bmiHeader.biWidth);
        EXPECT_EQ(720, std::abs(info.bmiHeader.biHeight));
        EXPECT_EQ(166833, info.AvgTimePerFrame);
    }

    // Without the exact 720p capability the 200000 one is taken and given 720p's rate.
    engine.reset();
    SetCardValue(L"OmitCapability", 4);
    engine = std::make_unique<CCaptureGraph>();
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, engine->ApplyFormatToPins(4));
    const VIDEOINFOHEADER forced = PinFormat(*engine, PIN_CATEGORY_CAPTURE);
    EXPECT_EQ(1280, forced.bmiHeader.biWidth);
    EXPECT_EQ(166833, forced.AvgTimePerFrame);

    EXPECT_EQ(S_OK, engine->ApplyFormatToPins(0)) << "no row matches: each pin keeps its format";
    EXPECT_EQ(1280, PinFormat(*engine, PIN_CATEGORY_PREVIEW).bmiHeader.biWidth);
}

TEST_F(CaptureGraphTest, DetectionFindsTheInputAndSetsItOnThePins)
{
    SetCardValue(L"Input", L"720p");
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, DetectSignal(*engine));
    EXPECT_EQ(4, engine->SignalFormat());
    EXPECT_TRUE(engine->SignalDetected());
    EXPECT_EQ(engine::kIdle, engine->State());
    EXPECT_EQ(1280, PinFormat(*engine, PIN_CATEGORY_PREVIEW).bmiHeader.biWidth);
}

TEST_F(CaptureGraphTest, StatisticsCountTheFramesTheCardLeftOut)
{
    SetCardValue(L"BurstStart", 20);
    SetCardValue(L"BurstLength", 10);
    // Only the burst is missing, however late a loaded machine runs the card's thread.
    SetCardValue(L"KeepLateFrames", 1);
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, DetectSignal(*engine));
    engine->CollectStatistics();
    const RecordingReport& report = engine->Report();
    EXPECT_EQ(3, report.videoFormatIndex);
    EXPECT_EQ(MAKEFOURCC('Y', 'U', 'Y', '2'), report.videoFourcc);
    EXPECT_EQ(1920, report.videoWidth);
    EXPECT_EQ(1080, report.videoHeight);
    EXPECT_EQ(333667, report.videoFrameDuration);
    EXPECT_GT(report.totalFrames, 30);
    EXPECT_EQ(10, report.droppedFrames) << "frames 20 to 29 never came";
    EXPECT_GT(report.videoLastEnd, report.videoFirstStart);
    EXPECT_EQ(0, report.totalBlocks) << "detection listens to no sound";
    EXPECT_EQ(0, report.audioChannels);
}

TEST_F(CaptureGraphTest, DetectionWithoutSignalEndsOnlyWhenItsCallerGivesUp)
{
    SetCardValue(L"Input", L"none");
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, engine->StartDetection());
    EXPECT_EQ(engine::kDetecting, engine->State());
    for (int period = 0; period < 15; ++period) {
        Sleep(100);
        ASSERT_EQ(engine::DetectionStep::kNotYet, engine->PollDetection());
    }
    EXPECT_EQ(S_FALSE, engine->FinishDetection());
    EXPECT_EQ(0, engine->SignalFormat());
    EXPECT_EQ(engine::kIdle, engine->State());
    EXPECT_EQ(engine::DetectionStep::kFailed, engine->PollDetection()) << "no detection runs";
    EXPECT_EQ(E_FAIL, engine->FinishDetection());
}

TEST_F(CaptureGraphTest, WithoutTheCardEveryBuildFails)
{
    EXPECT_EQ(E_FAIL, engine->StartDetection());
    EXPECT_EQ(E_FAIL, engine->BuildPreview(-1));
    EXPECT_EQ(E_FAIL, engine->RunPreview());
    EXPECT_EQ(E_FAIL, engine->StopPreview());
    EXPECT_EQ(S_OK, engine->CheckSignalChange());
}

TEST_F(CaptureGraphTest, PreviewRunsMutesSwitchesRendererAndReleasesEverything)
{
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, DetectSignal(*engine));
    ASSERT_EQ(S_OK, engine->BuildPreview(-1));
    EXPECT_EQ(engine::kPreviewBuilt, engine->State());
    EXPECT_EQ(E_FAIL, engine->StopPreview());
    ASSERT_EQ(S_OK, engine->RunPreview());
    EXPECT_EQ(engine::kPreviewing, engine->State());

    // Frames pass the preview's still-image grabber.
    ASSERT_EQ(S_OK, engine->ArmStillImage());
    MSG message{};
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < 5000 && !PeekMessageW(&message, host, WM_APP + 3, WM_APP + 3, PM_REMOVE))
        Sleep(20);
    ASSERT_EQ(UINT(WM_APP + 3), message.message);
    const StillFrameStore& frames = engine->StillFrames();
    EXPECT_EQ(0, frames.Remaining());
    ASSERT_TRUE(frames.Header());
    EXPECT_EQ(1920, frames.Header()->biWidth);
    EXPECT_EQ(1920u * 1080 * 2, frames.BufferSize());

    ComPtr<IBasicAudio> basicAudio;
    ASSERT_EQ(S_OK, engine->Graph()->QueryInterface(IID_PPV_ARGS(&basicAudio)));
    long volume = 1;
    ASSERT_EQ(S_OK, engine->SetMute(1));
    basicAudio->get_Volume(&volume);
    EXPECT_EQ(-10000, volume);
    ASSERT_EQ(S_OK, engine->SetMute(0));
    basicAudio->get_Volume(&volume);
    EXPECT_EQ(0, volume);

    ASSERT_EQ(S_OK, engine->SetRendererKind(engine::VideoRendererKind::Vmr7));
    EXPECT_EQ(engine::kPreviewing, engine->State());
    ComPtr<IBaseFilter> renderer;
    ASSERT_EQ(S_OK, engine->Graph()->FindFilterByName(L"Video Renderer Filter", &renderer));
    CLSID clsid{};
    renderer->GetClassID(&clsid);
    EXPECT_EQ(CLSID_VideoMixingRenderer, clsid);
    renderer.Reset();
    EXPECT_EQ(E_FAIL, engine->SetRendererKind(static_cast<engine::VideoRendererKind>(7))) << "no such renderer";
    EXPECT_EQ(engine::kIdle, engine->State());
    engine->SetRendererKind(engine::VideoRendererKind::OverlayMixer);

    ASSERT_EQ(S_OK, engine->BuildPreview(-1));
    ASSERT_EQ(S_OK, engine->RunPreview());
    ASSERT_EQ(S_OK, engine->StopPreview());
    EXPECT_EQ(engine::kIdle, engine->State());
    ASSERT_EQ(S_OK, engine->BuildPreview(-1));
    ASSERT_EQ(S_OK, engine->RunPreview());

    // Ending the engine while previewing leaves nobody holding the card or the graph.
    IBaseFilter* capture = engine->CaptureFilter();
    IGraphBuilder* graph = engine->Graph();
    IBaseFilter* crossbar = nullptr;
    ASSERT_EQ(S_OK, graph->FindFilterByName(L"Crossbar", &crossbar));
    capture->AddRef();
    graph->AddRef();
    basicAudio.Reset();
    engine.reset();
    EXPECT_EQ(0u, graph->Release());
    EXPECT_EQ(0u, capture->Release());
    EXPECT_EQ(0u, crossbar->Release());
}

// The renderer shows the part of the picture each aspect asks for.
TEST_F(CaptureGraphTest, AspectModesSetTheRenderersSourceRectangle)
{
    SetCardValue(L"Input", L"480i");
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, DetectSignal(*engine));
    ASSERT_EQ(S_OK, engine->BuildPreview(-1));
    ASSERT_EQ(S_OK, engine->RunPreview());
    ComPtr<IBasicVideo> video;
    ASSERT_EQ(S_OK, engine->Graph()->QueryInterface(IID_PPV_ARGS(&video)));
    const struct {
        int aspect;
        RECT source;  // left, top, width, height
    } cases[] = {{2, {0, 60, 720, 360}}, {4, {90, 0, 540, 480}}, {5, {90, 60, 540, 360}}, {3, {0, 0, 720, 480}}};
    for (const auto& c : cases) {
        engine->SetAspectMode(c.aspect);
        long left = -1, top = -1, width = -1, height = -1;
        ASSERT_EQ(S_OK, video->GetSourcePosition(&left, &top, &width, &height));
        EXPECT_EQ(c.source.left, left) << "aspect " << c.aspect;
        EXPECT_EQ(c.source.top, top) << "aspect " << c.aspect;
        EXPECT_EQ(c.source.right, width) << "aspect " << c.aspect;
        EXPECT_EQ(c.source.bottom, height) << "aspect " << c.aspect;
    }
}

TEST_F(CaptureGraphTest, AudioInputChoiceChangesTheDeliveredTone)
{
    ASSERT_EQ(S_OK, engine->Open());
    EXPECT_NEAR(1000.0, CapturedTone(*engine), 5.0) << "S/PDIF at start";
    ASSERT_EQ(S_OK, engine->SelectAudioInput(2));
    EXPECT_NEAR(440.0, CapturedTone(*engine), 5.0) << "the analog input";
    ASSERT_EQ(S_OK, engine->SelectAudioInput(1));
    EXPECT_NEAR(1000.0, CapturedTone(*engine), 5.0) << "back to S/PDIF";
}

TEST_F(CaptureGraphTest, PreviewProfileSetsThePriorityAndTheAudioInfTee)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"capture-graph-preview.prf";
    PreviewProfile profile;
    profile.options.infTeeForAudio = 1;
    profile.options.priorityClass = HIGH_PRIORITY_CLASS;
    ASSERT_EQ(S_OK, WritePreviewProfile(path, profile));
    UsePreviewProfile(path);
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, DetectSignal(*engine));

    ComPtr<IBaseFilter> infTee;
    const bool teeInstalled =
        SUCCEEDED(CoCreateInstance(CLSID_InfTee, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&infTee)));
    infTee.Reset();
    const HRESULT built = engine->BuildPreview(-1);
    if (!teeInstalled) {
        // Wine has no Inf Tee: the build reports it.
        EXPECT_EQ(REGDB_E_CLASSNOTREG, built);
        engine->TearDown();
    } else {
        ASSERT_EQ(S_OK, built);
        ASSERT_EQ(S_OK, engine->Graph()->FindFilterByName(L"Inf Tee", &infTee));
        EXPECT_EQ(HIGH_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess()));
        EXPECT_EQ(DWORD(NORMAL_PRIORITY_CLASS), engine->SavedPriorityClass());
        ASSERT_EQ(S_OK, engine->RunPreview());
        ASSERT_EQ(S_OK, engine->StopPreview());
        EXPECT_EQ(NORMAL_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess())) << "restored at the stop";
    }

    // Without the tee the priority still applies and is restored.
    profile.options.infTeeForAudio = 0;
    ASSERT_EQ(S_OK, WritePreviewProfile(path, profile));
    ASSERT_EQ(S_OK, engine->BuildPreview(-1));
    EXPECT_EQ(HIGH_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess()));
    ASSERT_EQ(S_OK, engine->RunPreview());
    ASSERT_EQ(S_OK, engine->StopPreview());
    EXPECT_EQ(NORMAL_PRIORITY_CLASS, GetPriorityClass(GetCurrentProcess()));

    // A profile that cannot be read leaves no Inf Tee from an earlier build behind.
    profile.options.infTeeForAudio = 1;
    ASSERT_EQ(S_OK, WritePreviewProfile(path, profile));
    engine->BuildPreview(-1);
    EXPECT_TRUE(engine->UsesInfTee());
    engine->TearDown();
    DeleteFileW(path.c_str());
    ASSERT_EQ(S_OK, engine->BuildPreview(-1));
    EXPECT_FALSE(engine->UsesInfTee());
    EXPECT_TRUE(FAILED(engine->Graph()->FindFilterByName(L"Inf Tee", &infTee)));
    engine->TearDown();
}

// Filter order from the capture filter's video preview pin to the renderer.
std::vector<std::wstring> PreviewChain(CCaptureGraph& engine)
{
    std::vector<std::wstring> names;
    ComPtr<IPin> out;
    engine.Builder()->FindPin(engine.CaptureFilter(), PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, FALSE, 0,
                              &out);
    for (ComPtr<IPin> peer; out && SUCCEEDED(out->ConnectedTo(peer.ReleaseAndGetAddressOf()));) {
        PIN_INFO info{};
        peer->QueryPinInfo(&info);
        names.push_back(info.achName[0] ? FilterName(info.pFilter) : L"");
        out = FirstConnectedOutput(info.pFilter);
        info.pFilter->Release();
    }
    return names;
}

TEST_F(CaptureGraphTest, PreviewFiltersOfTheProfileGoBeforeTheRendererForInterlacedInput)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"capture-graph-filters.prf";
    PreviewProfile profile;
    profile.options.deinterlaceInterlacedModes = 1;
    FilterEntry tee;
    tee.friendlyName = L"Smart Tee";
    tee.displayName = L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{CC58E280-8AA1-11D1-B3F1-00AA003761C5}";
    ASSERT_EQ(S_OK, BindFilterByDisplayName(tee.displayName, &tee.filter));
    profile.filters.push_back(tee);
    ASSERT_EQ(S_OK, WritePreviewProfile(path, profile));
    UsePreviewProfile(path);
    engine->SetRendererKind(engine::VideoRendererKind::Vmr7);
    ASSERT_EQ(S_OK, engine->Open());
    ASSERT_EQ(S_OK, DetectSignal(*engine));  // 1080i

    ASSERT_EQ(S_OK, engine->BuildPreview(-1));
    EXPECT_EQ((std::vector<std::wstring>{L"Video Image Capture", L"Smart Tee", L"Video Renderer Filter"}),
              PreviewChain(*engine));
    ASSERT_EQ(S_OK, engine->RunPreview());
    ASSERT_EQ(S_OK, engine->StopPreview());

    // Progressive input takes no preview filters.
    ASSERT_EQ(S_OK, engine->BuildPreview(4));
    EXPECT_EQ((std::vector<std::wstring>{L"Video Image Capture", L"Video Renderer Filter"}), PreviewChain(*engine));
    engine->TearDown();
    DeleteFileW(path.c_str());
}

TEST_F(CaptureGraphTest, ListsTheCardAndRefusesNullEntries)
{
    std::vector<FilterEntry> devices;
    ASSERT_EQ(S_OK, ListDevices(CLSID_VideoInputDeviceCategory, devices));
    auto card = std::find_if(devices.begin(), devices.end(), [](const FilterEntry& e) {
        return e.friendlyName == L"Zelvan BDA Analog Capture Secondary";
    });
    ASSERT_NE(devices.end(), card);
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(S_OK, BindFilterEntry(*card, &filter));
    FilterEntry byName;
    byName.displayName = card->displayName;
    EXPECT_EQ(S_OK, BindFilterEntry(byName, filter.ReleaseAndGetAddressOf()));
    FilterEntry none;
    none.displayName = NullVideoDisplayName();
    EXPECT_EQ(E_FAIL, BindFilterEntry(none, filter.ReleaseAndGetAddressOf()));
}

}  // namespace
