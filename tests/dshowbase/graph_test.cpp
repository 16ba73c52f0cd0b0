// Our source and sink in graphs built by the platform's filter graph manager,
// with Wine's Sample Grabber and Null Renderer between and after them.
#include "ComTestSupport.h"
#include "TestFilters.h"

namespace {

constexpr int kSamples = 8;
constexpr REFERENCE_TIME kFrame = 100000;  // 10 ms

class Graph : public ComApartment {
protected:
    void SetUp() override
    {
        ComApartment::SetUp();
        ASSERT_EQ(0, CBaseObject::ObjectsActive());
        graph = CreateInproc<IGraphBuilder>(CLSID_FilterGraph, IID_IGraphBuilder);
        ASSERT_TRUE(graph);
        control = graph.As<IMediaControl>(IID_IMediaControl);
        events = graph.As<IMediaEvent>(IID_IMediaEvent);
        ASSERT_TRUE(control && events);

        source = TestSource::Create(1);
        sourceRef = Ref<IBaseFilter>(source);
        source->Stream(0)->SetSampleCount(kSamples);
        source->Stream(0)->SetMediaTypes(
            {MakeVideoType(MEDIASUBTYPE_RGB32, 64, 48, kFrame), MakeVideoType(MEDIASUBTYPE_RGB24, 64, 48, kFrame)});
        HRESULT hr = S_OK;
        sink = new TestSink(nullptr, &hr);
        sinkRef = Ref<IBaseFilter>(sink);
        ASSERT_EQ(S_OK, graph->AddFilter(source, L"Test Source"));
        ASSERT_EQ(S_OK, graph->AddFilter(sink, L"Test Sink"));
    }

    void TearDown() override
    {
        if (control)
            control->Stop();
        control.Reset();
        events.Reset();
        grabber.Reset();
        nullRenderer.Reset();
        graph.Reset();
        sourceRef.Reset();
        sinkRef.Reset();
        EXPECT_EQ(0, CBaseObject::ObjectsActive()) << "an object of ours outlived the graph";
        ComApartment::TearDown();
    }

    void AddGrabber()
    {
        grabber = CreateInproc<IBaseFilter>(kClsidSampleGrabber, IID_IBaseFilter);
        ASSERT_TRUE(grabber);
        ASSERT_EQ(S_OK, graph->AddFilter(grabber, L"Sample Grabber"));
    }

    void AddNullRenderer()
    {
        nullRenderer = CreateInproc<IBaseFilter>(kClsidNullRenderer, IID_IBaseFilter);
        ASSERT_TRUE(nullRenderer);
        ASSERT_EQ(S_OK, graph->AddFilter(nullRenderer, L"Null Renderer"));
    }

    HRESULT Connect(IBaseFilter* from, IBaseFilter* to)
    {
        Ref<IPin> out = FirstPin(from, PINDIR_OUTPUT);
        Ref<IPin> in = FirstPin(to, PINDIR_INPUT);
        if (!out || !in)
            return E_FAIL;
        return graph->Connect(out, in);
    }

    // Waits for the next EC_COMPLETE in the event queue; false after the timeout.
    // Polls in short steps: Wine's GetEvent may return E_ABORT before its timeout.
    bool WaitForComplete(DWORD timeoutMs)
    {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        do {
            LONG code = 0;
            LONG_PTR param1 = 0, param2 = 0;
            if (events->GetEvent(&code, &param1, &param2, 20) == S_OK) {
                events->FreeEventParams(code, param1, param2);
                if (code == EC_COMPLETE)
                    return true;
            }
        } while (GetTickCount64() < deadline);
        return false;
    }

    // Runs the graph and waits for EC_COMPLETE. WaitForCompletion is not used: Wine
    // keeps reporting the completion of an earlier run, so the queue is read instead,
    // after dropping what an earlier run left in it.
    void RunToCompletion()
    {
        while (WaitForComplete(0)) {
        }
        ASSERT_HRESULT_SUCCEEDED(control->Run());
        ASSERT_TRUE(WaitForComplete(5000)) << "no EC_COMPLETE";
    }

    FILTER_STATE State()
    {
        OAFilterState state = -1;
        control->GetState(2000, &state);
        return static_cast<FILTER_STATE>(state);
    }

    void ExpectSamplesAsSent(const GUID& subtype)
    {
        const CMediaType expected = MakeVideoType(subtype, 64, 48, kFrame);
        const auto samples = sink->Samples();
        ASSERT_EQ(static_cast<size_t>(kSamples), samples.size());
        for (int i = 0; i < kSamples; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(S_OK, samples[i].timeResult);
            EXPECT_EQ(i * kFrame, samples[i].start);
            EXPECT_EQ((i + 1) * kFrame, samples[i].stop);
            EXPECT_EQ(static_cast<LONG>(expected.GetSampleSize()), samples[i].length);
            EXPECT_EQ(i, samples[i].firstByte);
            EXPECT_TRUE(samples[i].syncPoint);
        }
        EXPECT_EQ(1, sink->EndOfStreamCount());
    }

    Ref<IGraphBuilder> graph;
    Ref<IMediaControl> control;
    Ref<IMediaEvent> events;
    Ref<IBaseFilter> grabber;
    Ref<IBaseFilter> nullRenderer;
    TestSource* source = nullptr;
    TestSink* sink = nullptr;
    Ref<IBaseFilter> sourceRef;
    Ref<IBaseFilter> sinkRef;
};

TEST_F(Graph, SourceRunsThroughSampleGrabberIntoNullRendererAgainAndAgain)
{
    ASSERT_EQ(S_OK, graph->RemoveFilter(sink));
    AddGrabber();
    AddNullRenderer();
    ASSERT_EQ(S_OK, Connect(source, grabber));
    ASSERT_EQ(S_OK, Connect(grabber, nullRenderer));

    RunToCompletion();
    EXPECT_EQ(kSamples, source->Stream(0)->DeliveredCount());
    EXPECT_EQ(State_Running, State());

    ASSERT_HRESULT_SUCCEEDED(control->Pause());
    EXPECT_EQ(State_Paused, State());
    ASSERT_HRESULT_SUCCEEDED(control->Stop());
    EXPECT_EQ(State_Stopped, State());

    RunToCompletion();
    EXPECT_EQ(kSamples, source->Stream(0)->DeliveredCount()) << "a second run starts the stream over";
    ASSERT_HRESULT_SUCCEEDED(control->Stop());
}

TEST_F(Graph, CaptureGraphBuilderRendersTheSourceStream)
{
    ASSERT_EQ(S_OK, graph->RemoveFilter(sink));
    AddGrabber();
    AddNullRenderer();
    auto builder = CreateInproc<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2, IID_ICaptureGraphBuilder2);
    ASSERT_TRUE(builder);
    ASSERT_EQ(S_OK, builder->SetFiltergraph(graph));
    ASSERT_HRESULT_SUCCEEDED(builder->RenderStream(nullptr, nullptr, sourceRef.Get(), grabber, nullRenderer));

    Ref<IPin> out = FirstPin(source, PINDIR_OUTPUT);
    Ref<IPin> peer;
    ASSERT_EQ(S_OK, out->ConnectedTo(peer.Out()));
    PIN_INFO info{};
    peer->QueryPinInfo(&info);
    EXPECT_EQ(grabber.Get(), info.pFilter) << "connected to the grabber first";
    info.pFilter->Release();

    RunToCompletion();
    EXPECT_EQ(kSamples, source->Stream(0)->DeliveredCount());
    builder.Reset();
}

TEST_F(Graph, SinkReceivesWhatTheSampleGrabberDeliversAndReconnectsWithAnotherType)
{
    AddGrabber();
    ASSERT_EQ(S_OK, Connect(source, grabber));
    ASSERT_EQ(S_OK, Connect(grabber, sink));
    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(S_OK, sink->InputPin()->ConnectionMediaType(&mt));
    EXPECT_EQ(MEDIASUBTYPE_RGB32, mt.subtype) << "the source's first type";
    FreeMediaType(mt);

    RunToCompletion();
    ExpectSamplesAsSent(MEDIASUBTYPE_RGB32);
    ASSERT_HRESULT_SUCCEEDED(control->Stop());

    // Disconnect everything and connect again with the source offering RGB24 only.
    for (IBaseFilter* filter : {static_cast<IBaseFilter*>(source), grabber.Get(), static_cast<IBaseFilter*>(sink)}) {
        for (PIN_DIRECTION dir : {PINDIR_INPUT, PINDIR_OUTPUT}) {
            if (Ref<IPin> pin = FirstPin(filter, dir))
                graph->Disconnect(pin);
        }
    }
    EXPECT_FALSE(sink->InputPin()->IsConnected());
    source->Stream(0)->SetMediaTypes({MakeVideoType(MEDIASUBTYPE_RGB24, 64, 48, kFrame)});
    ASSERT_EQ(S_OK, Connect(source, grabber));
    ASSERT_EQ(S_OK, Connect(grabber, sink));
    ASSERT_EQ(S_OK, sink->InputPin()->ConnectionMediaType(&mt));
    EXPECT_EQ(MEDIASUBTYPE_RGB24, mt.subtype);
    FreeMediaType(mt);

    sink->ClearObservations();
    RunToCompletion();
    ExpectSamplesAsSent(MEDIASUBTYPE_RGB24);
}

TEST_F(Graph, DirectConnectionNegotiatesTypesAndPassesSeekingUpstream)
{
    // A type the sink refuses leaves both pins unconnected.
    CMediaType audio(&MEDIATYPE_Audio);
    audio.SetFormatType(&FORMAT_WaveFormatEx);
    WAVEFORMATEX wfx{1, 2, 48000, 192000, 4, 16, 0};
    audio.SetFormat(reinterpret_cast<BYTE*>(&wfx), sizeof wfx);
    source->Stream(0)->SetMediaTypes({audio});
    Ref<IPin> out = FirstPin(source, PINDIR_OUTPUT);
    EXPECT_HRESULT_FAILED(graph->ConnectDirect(out, sink->InputPin(), nullptr));
    EXPECT_FALSE(source->Stream(0)->IsConnected());
    EXPECT_FALSE(sink->InputPin()->IsConnected());

    // A type the source does not offer is refused by the source itself.
    const CMediaType rgb24 = MakeVideoType(MEDIASUBTYPE_RGB24, 64, 48, kFrame);
    source->Stream(0)->SetMediaTypes({MakeVideoType(MEDIASUBTYPE_RGB32, 64, 48, kFrame)});
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, out->Connect(sink->InputPin(), &rgb24));
    EXPECT_FALSE(sink->InputPin()->IsConnected());

    ASSERT_EQ(S_OK, graph->ConnectDirect(out, sink->InputPin(), nullptr));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, out->Connect(sink->InputPin(), nullptr));

    // The sink's seeking is the source pin's, through the aggregated pass-through.
    auto seeking = sinkRef.As<IMediaSeeking>(IID_IMediaSeeking);
    ASSERT_TRUE(seeking);
    LONGLONG duration = 0;
    ASSERT_EQ(S_OK, seeking->GetDuration(&duration));
    EXPECT_EQ(kSamples * kFrame, duration);
    auto identity = seeking.As<IUnknown>(IID_IUnknown);
    auto filterIdentity = sinkRef.As<IUnknown>(IID_IUnknown);
    EXPECT_EQ(filterIdentity.Get(), identity.Get()) << "the pass-through answers for the filter";
    EXPECT_TRUE(seeking.As<IBaseFilter>(IID_IBaseFilter));

    auto graphSeeking = graph.As<IMediaSeeking>(IID_IMediaSeeking);
    duration = 0;
    ASSERT_EQ(S_OK, graphSeeking->GetDuration(&duration));
    EXPECT_EQ(kSamples * kFrame, duration) << "the graph asks the renderer, which asks upstream";

    auto position = sinkRef.As<IMediaPosition>(IID_IMediaPosition);
    ASSERT_TRUE(position);
    REFTIME length = 0;
    EXPECT_EQ(E_NOTIMPL, position->get_Duration(&length)) << "the source pin has no IMediaPosition";
    // Its IDispatch side is described by the platform's type library.
    Ref<ITypeInfo> typeInfo;
    ASSERT_EQ(S_OK, position->GetTypeInfo(0, LOCALE_USER_DEFAULT, typeInfo.Out()));
    LPOLESTR name = const_cast<LPOLESTR>(L"Duration");
    DISPID dispid = DISPID_UNKNOWN, expected = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, position->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &dispid));
    ASSERT_EQ(S_OK, typeInfo->GetIDsOfNames(&name, 1, &expected));
    EXPECT_EQ(expected, dispid);

    RunToCompletion();
    ExpectSamplesAsSent(MEDIASUBTYPE_RGB32);
}

TEST_F(Graph, AFlushingSinkStopsTheSourceUntilTheNextRun)
{
    Ref<IPin> out = FirstPin(source, PINDIR_OUTPUT);
    ASSERT_EQ(S_OK, graph->ConnectDirect(out, sink->InputPin(), nullptr));
    ASSERT_EQ(S_OK, source->Stream(0)->DeliverNewSegment(10, 20, 1.5));
    EXPECT_EQ(10, sink->InputPin()->CurrentStartTime());
    EXPECT_EQ(20, sink->InputPin()->CurrentStopTime());
    EXPECT_EQ(1.5, sink->InputPin()->CurrentRate());
    ASSERT_EQ(S_OK, source->Stream(0)->DeliverBeginFlush());
    EXPECT_TRUE(sink->InputPin()->IsFlushing());

    ASSERT_HRESULT_SUCCEEDED(control->Run());
    EXPECT_FALSE(WaitForComplete(300)) << "nothing may complete while flushing";
    EXPECT_EQ(0u, sink->Samples().size());
    EXPECT_EQ(1, source->Stream(0)->FailedDeliveries()) << "the first refused sample ends the loop";
    ASSERT_HRESULT_SUCCEEDED(control->Stop());

    // Stopping ends the flush; the next run delivers everything.
    RunToCompletion();
    ExpectSamplesAsSent(MEDIASUBTYPE_RGB32);
}

TEST_F(Graph, AStreamThatCannotStartFailsThePauseAndLeavesNothingBehind)
{
    ASSERT_EQ(S_OK, graph->RemoveFilter(sink));
    AddNullRenderer();
    ASSERT_EQ(S_OK, Connect(source, nullRenderer));
    source->Stream(0)->FailThreadCreate(E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, sourceRef->Pause());
    FILTER_STATE state = State_Running;
    sourceRef->GetState(0, &state);
    EXPECT_EQ(State_Stopped, state);
    // The source took the renderer's allocator; it must be decommitted again.
    auto input = FirstPin(nullRenderer, PINDIR_INPUT).As<IMemInputPin>(IID_IMemInputPin);
    Ref<IMemAllocator> allocator;
    ASSERT_EQ(S_OK, input->GetAllocator(allocator.Out()));
    Ref<IMediaSample> sample;
    EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator->GetBuffer(sample.Out(), nullptr, nullptr, AM_GBF_NOWAIT));
    allocator.Reset();

    // The allocator was decommitted and no thread is left: the pin starts again.
    // (Through the graph: Wine's Run does not pass a filter's failure on.)
    source->Stream(0)->FailThreadCreate(S_OK);
    RunToCompletion();
    EXPECT_EQ(kSamples, source->Stream(0)->DeliveredCount());
}

}  // namespace
