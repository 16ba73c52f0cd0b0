#include "AudioCaptureSampleGrabberCB.h"
#include "DShowUuids.h"
#include "VideoCaptureSampleGrabberCB.h"
#include "VideoImageSampleGrabberCB.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Just enough of a media sample for the callbacks: times and a buffer.
class FakeSample : public IMediaSample {
public:
    FakeSample(REFERENCE_TIME start, REFERENCE_TIME end, bool mediaTimes, std::vector<BYTE> data = {})
        : start_(start),
          end_(end),
          mediaTimes_(mediaTimes),
          data_(std::move(data))
    {
    }

    STDMETHODIMP QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetPointer(BYTE** buffer) override
    {
        *buffer = data_.data();
        return S_OK;
    }
    STDMETHODIMP_(long) GetSize() override { return static_cast<long>(data_.size()); }
    STDMETHODIMP GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override
    {
        *start = start_;
        *end = end_;
        return S_OK;
    }
    STDMETHODIMP SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    STDMETHODIMP IsSyncPoint() override { return S_OK; }
    STDMETHODIMP SetSyncPoint(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP IsPreroll() override { return S_FALSE; }
    STDMETHODIMP SetPreroll(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP_(long) GetActualDataLength() override { return static_cast<long>(data_.size()); }
    STDMETHODIMP SetActualDataLength(long) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE**) override { return S_FALSE; }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDiscontinuity() override { return S_FALSE; }
    STDMETHODIMP SetDiscontinuity(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaTime(LONGLONG* start, LONGLONG* end) override
    {
        if (!mediaTimes_)
            return VFW_E_MEDIA_TIME_NOT_SET;
        *start = start_ / 1000;
        *end = end_ / 1000;
        return S_OK;
    }
    STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }

private:
    REFERENCE_TIME start_, end_;
    bool mediaTimes_;
    std::vector<BYTE> data_;
};

class SampleGrabberCallbacks : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(SampleGrabberCallbacks, AnswerOnlyTheirOwnInterfaceWithoutCounting)
{
    CVideoCaptureSampleGrabberCB callback;
    void* object = nullptr;
    EXPECT_EQ(S_OK, callback.QueryInterface(IID_ISampleGrabberCB, &object));
    EXPECT_EQ(static_cast<ISampleGrabberCB*>(&callback), object);
    EXPECT_EQ(E_NOINTERFACE, callback.QueryInterface(IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(1u, callback.AddRef());
    EXPECT_EQ(0u, callback.Release());
    EXPECT_EQ(E_NOTIMPL, callback.BufferCB(0, nullptr, 0));
}

TEST_F(SampleGrabberCallbacks, VideoCountsFramesAndKeepsFirstAndLastTimes)
{
    CVideoCaptureSampleGrabberCB callback;
    callback.Reset();
    EXPECT_EQ(E_FAIL, callback.SampleCB(0, nullptr));
    FakeSample first(1000, 2000, true), second(2000, 3000, false);
    EXPECT_EQ(S_OK, callback.SampleCB(0, &first));
    EXPECT_EQ(S_OK, callback.SampleCB(0, &second));
    const auto counters = callback.Counters();
    EXPECT_EQ(2, callback.SampleCount());
    EXPECT_EQ(1000, counters.firstStart);
    EXPECT_EQ(3000, counters.lastEnd);
    EXPECT_EQ(1, counters.firstMediaStart);
    EXPECT_EQ(0, counters.lastMediaEnd) << "a sample without media times leaves them 0";
}

TEST_F(SampleGrabberCallbacks, AttachToARealGrabberAndDetachAgain)
{
    ISampleGrabber* grabber = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                              reinterpret_cast<void**>(&grabber)));
    {
        CAudioCaptureSampleGrabberCB callback;
        FakeSample sample(0, 100, true, std::vector<BYTE>(16));
        callback.SampleCB(0, &sample);
        ASSERT_EQ(S_OK, callback.Attach(grabber));
        EXPECT_EQ(grabber, callback.GetGrabber());
        const auto figures = callback.Snapshot();
        EXPECT_EQ(0, figures.counters.samples) << "attaching resets";
        EXPECT_FALSE(figures.format) << "an unconnected grabber has no format";
        callback.Detach();
        EXPECT_EQ(nullptr, callback.GetGrabber());
        ASSERT_EQ(S_OK, callback.Attach(grabber));
    }  // destruction detaches
    EXPECT_EQ(0u, grabber->Release()) << "the callback gave back its reference";
}

TEST_F(SampleGrabberCallbacks, AudioWithoutAFormatCountsBlocksButNoFrames)
{
    CAudioCaptureSampleGrabberCB callback;
    callback.Reset();
    callback.SetChannelSwap(true);
    FakeSample sample(0, 100, true, {1, 2, 3, 4});
    EXPECT_EQ(S_OK, callback.SampleCB(0, &sample));
    BYTE* data = nullptr;
    sample.GetPointer(&data);
    EXPECT_EQ(1, data[0]) << "no format copy: no swap";
    const auto figures = callback.Snapshot();
    EXPECT_EQ(1, figures.counters.samples);
    EXPECT_EQ(0, figures.counters.sampleFrames);
}

}  // namespace

namespace {

CMediaType VideoType(LONG width, LONG height, WORD bitCount)
{
    CMediaType type;
    type.SetType(&MEDIATYPE_Video);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    *info = VIDEOINFOHEADER{};
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biBitCount = bitCount;
    return type;
}

TEST_F(SampleGrabberCallbacks, StillImageTakesTheNextTwoFramesOncePerRequest)
{
    StillFrameStore store;
    EXPECT_EQ(E_FAIL, store.Accept(CMediaType()));
    EXPECT_EQ(S_OK, store.Accept(VideoType(5, -2, 16)));
    EXPECT_EQ(24u, store.BufferSize()) << "rows of 10 bytes padded to 12, whatever the height's sign";
    for (LONG side : {1000000, 0x7FFFFFFF}) {
        EXPECT_EQ(E_OUTOFMEMORY, store.Accept(VideoType(side, side, 32))) << side;
        EXPECT_FALSE(store.Header());
    }
    ASSERT_EQ(S_OK, store.Accept(VideoType(4, 2, 16)));

    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CVideoImageSampleGrabberCB callback;
    callback.SetTarget(&store, window, WM_APP + 3, 0);
    FakeSample first(0, 1, false, std::vector<BYTE>(16, 1)), second(1, 2, false, std::vector<BYTE>(40, 2)),
        third(2, 3, false, std::vector<BYTE>(16, 3));
    EXPECT_EQ(S_OK, callback.SampleCB(0, &first));
    EXPECT_EQ(2, store.Remaining()) << "not armed";

    callback.Arm();
    for (FakeSample* sample : {&first, &second, &third})
        EXPECT_EQ(S_OK, callback.SampleCB(0, sample));
    EXPECT_EQ(0, store.Remaining());
    EXPECT_EQ(std::vector<BYTE>(16, 1), store.Frame(0));
    EXPECT_EQ(std::vector<BYTE>(16, 2), store.Frame(1)) << "a longer sample is cut to the frame";
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, window, WM_APP + 3, WM_APP + 3, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
    EXPECT_FALSE(PeekMessageW(&message, window, WM_APP + 3, WM_APP + 3, PM_REMOVE)) << "one message per request";

    // Armed again while full: nothing is stored until the main window empties the store.
    callback.Arm();
    EXPECT_EQ(S_OK, callback.SampleCB(0, &third));
    EXPECT_EQ(std::vector<BYTE>(16, 2), store.Frame(1));
    const std::vector<BYTE> more(16, 4);
    EXPECT_EQ(E_FAIL, store.Append(more.data(), 16));
    store.Empty();
    EXPECT_EQ(S_OK, callback.SampleCB(0, &third));
    EXPECT_EQ(std::vector<BYTE>(16, 3), store.Frame(0));
    DestroyWindow(window);
}

}  // namespace
