// A Seek while "~Video" is filling a sample: no sample filled before the flush may reach
// downstream after it. The graph's clock holds the pin's thread inside its fill (which
// reads the stream time) until the flush has begun; the sink holds a delivery that
// arrives during the flush until the flush has ended, as if the thread had been
// preempted just before it. No step waits on time: the waits only bound a hang.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "IMuxConfig.h"
#include "IMuxTimeShift.h"
#include "MuxGraphSupport.h"

namespace {

constexpr DWORD kHangMs = 20000;
constexpr REFERENCE_TIME kAhead = 5000000;

class Event {
public:
    Event() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() { CloseHandle(handle_); }
    void Set() { SetEvent(handle_); }
    void Reset() { ResetEvent(handle_); }
    bool Wait(DWORD ms = kHangMs) { return WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0; }

private:
    HANDLE handle_;
};

// The system clock; once armed, the next GetTime on the chosen thread waits in it.
class GatedClock : public IReferenceClock {
public:
    GatedClock() { CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&clock_)); }
    bool Valid() const { return clock_ != nullptr; }
    void Arm(DWORD thread)
    {
        thread_ = thread;
        armed_ = true;
    }
    Event entered, release;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_IReferenceClock) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IReferenceClock*>(this);
        return S_OK;
    }
    // Kept alive by the test, which outlives the graph.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    // The held call answers half a second on, so that the fill it serves has a frame due
    // (the pin fills nothing while the frame due is the one it delivered last).
    STDMETHODIMP GetTime(REFERENCE_TIME* time) override
    {
        const bool held = GetCurrentThreadId() == thread_ && armed_.exchange(false);
        if (held) {
            entered.Set();
            release.Wait();
        }
        const HRESULT hr = clock_->GetTime(time);
        if (held && SUCCEEDED(hr))
            *time += kAhead;
        return hr;
    }
    STDMETHODIMP AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event, DWORD_PTR* cookie) override
    {
        return clock_->AdviseTime(base, offset, event, cookie);
    }
    STDMETHODIMP AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                                DWORD_PTR* cookie) override
    {
        return clock_->AdvisePeriodic(start, period, semaphore, cookie);
    }
    STDMETHODIMP Unadvise(DWORD_PTR cookie) override { return clock_->Unadvise(cookie); }

private:
    ComPtr<IReferenceClock> clock_;
    std::atomic<bool> armed_{false};
    std::atomic<DWORD> thread_{0};
};

class FlushSink;

class FlushSinkPin : public CBaseInputPin {
public:
    FlushSinkPin(CBaseFilter* filter, CCritSec* lock, HRESULT* phr)
        : CBaseInputPin(L"FlushSinkPin", filter, lock, phr, L"Input")
    {
    }

    HRESULT CheckMediaType(const CMediaType* pmt) override { return *pmt->Type() == MEDIATYPE_Video ? S_OK : E_FAIL; }
    STDMETHODIMP EndOfStream() override { return S_OK; }

    STDMETHODIMP BeginFlush() override
    {
        const HRESULT hr = CBaseInputPin::BeginFlush();
        if (releaseOnFlush)
            releaseOnFlush->Set();
        return hr;
    }
    STDMETHODIMP EndFlush() override
    {
        const HRESULT hr = CBaseInputPin::EndFlush();
        flushEnded.Set();
        return hr;
    }
    STDMETHODIMP Receive(IMediaSample* sample) override
    {
        if (IsFlushing())
            flushEnded.Wait();
        const HRESULT hr = CBaseInputPin::Receive(sample);
        if (hr != S_OK)
            return hr;
        std::lock_guard<std::mutex> hold(lock_);
        deliveryThread = GetCurrentThreadId();
        received_.push_back(sample->IsDiscontinuity() == S_OK);
        afterFlush_ += flushEnded.Wait(0) ? 1 : 0;
        if (afterFlush_ == 1)
            firstAfterFlush.Set();
        return S_OK;
    }

    // From here on, the samples after the next flush are told apart (Play flushes too).
    void WatchNextFlush()
    {
        std::lock_guard<std::mutex> hold(lock_);
        flushEnded.Reset();
        firstAfterFlush.Reset();
        afterFlush_ = 0;
    }
    size_t Received()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return received_.size();
    }
    // Whether the first sample received after the flush was marked a discontinuity.
    bool FirstAfterFlushIsDiscontinuity()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return received_.at(received_.size() - afterFlush_);
    }

    std::atomic<DWORD> deliveryThread{0};
    Event* releaseOnFlush = nullptr;
    Event flushEnded, firstAfterFlush;

private:
    std::mutex lock_;
    std::vector<bool> received_;  // discontinuity flags, in order
    size_t afterFlush_ = 0;
};

class FlushSink : public CBaseFilter {
public:
    explicit FlushSink(HRESULT* phr)
        : CBaseFilter(L"FlushSink", nullptr, &lock_, GUID_NULL, phr),
          pin(this, &lock_, phr)
    {
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &pin : nullptr; }

    CCritSec lock_;
    FlushSinkPin pin;
};

TEST(TimeShiftFlush, ASampleFilledBeforeASeekIsNeverDeliveredAfterItsFlush)
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    {
        GatedClock clock;
        ASSERT_TRUE(clock.Valid());
        HRESULT hr = S_OK;
        auto* sink = new FlushSink(&hr);
        ComPtr<IBaseFilter> sinkRef = sink;
        ASSERT_HRESULT_SUCCEEDED(hr);

        const std::wstring base = RecordingPath(L"tsflush_");
        DeleteRecording(base);
        ComPtr<IBaseFilter> mux;
        ASSERT_EQ(S_OK, BindMuxByMoniker(&mux));
        ComPtr<IFileSinkFilter> fileSink;
        ComPtr<IMuxTimeShift> timeShift;
        ASSERT_HRESULT_SUCCEEDED(mux.As(&fileSink));
        ASSERT_HRESULT_SUCCEEDED(mux.As(&timeShift));
        ASSERT_EQ(S_OK, fileSink->SetFileName(base.c_str(), nullptr));
        StreamPlan video, audio;
        video.count = -1;
        audio.enabled = false;
        MuxTestSource* source = MuxTestSource::Create(64, 32, video, audio);
        ComPtr<IBaseFilter> sourceRef = source;
        MuxGraph graph;
        ASSERT_EQ(S_OK, graph.Build(source, mux.Get()));
        ASSERT_HRESULT_SUCCEEDED(graph.graph->AddFilter(sink, L"Flush sink"));
        ASSERT_HRESULT_SUCCEEDED(
            graph.graph->ConnectDirect(PinByName(mux.Get(), L"~Video").Get(), &sink->pin, nullptr));
        ComPtr<IMediaFilter> graphFilter;
        ASSERT_HRESULT_SUCCEEDED(graph.graph.As(&graphFilter));
        ASSERT_HRESULT_SUCCEEDED(graphFilter->SetSyncSource(&clock));

        ASSERT_HRESULT_SUCCEEDED(graph.control->Run());
        DWORD current = 0, total = 0;
        for (int i = 0; i < 200 && total < 1; ++i) {
            Sleep(50);  // until a second is recorded
            ASSERT_EQ(S_OK, timeShift->GetPosition(&current, &total));
        }
        ASSERT_GE(total, 1u);
        ASSERT_EQ(S_OK, timeShift->Play(100));
        for (int i = 0; i < 400 && sink->pin.Received() == 0; ++i)
            Sleep(5);  // until the first frame is played back
        ASSERT_GT(sink->pin.Received(), 0u);

        // The pin's thread is held inside its next fill; the flush of the Seek frees it.
        clock.Arm(sink->pin.deliveryThread);
        ASSERT_TRUE(clock.entered.Wait()) << "the pin's thread never filled again";
        sink->pin.WatchNextFlush();
        sink->pin.releaseOnFlush = &clock.release;
        ASSERT_EQ(S_OK, timeShift->Seek(0));
        ASSERT_TRUE(sink->pin.flushEnded.Wait());
        ASSERT_TRUE(sink->pin.firstAfterFlush.Wait()) << "nothing played back after the Seek";
        EXPECT_TRUE(sink->pin.FirstAfterFlushIsDiscontinuity())
            << "the first sample after the flush was filled before it";

        clock.release.Set();
        ASSERT_HRESULT_SUCCEEDED(graph.control->Stop());
        DeleteRecording(base);
    }
    CoUninitialize();
}

}  // namespace
