#include "VideoStreamPin.h"

#include <algorithm>

#include "CaptureFilter.h"
#include "CardPages.h"
#include "CardMediaFormats.h"
#include "SimulatedCard.h"
#include "StreamConfig.h"
#include "TestPicture.h"

namespace cardsim {
namespace {

// Frames more than this far behind the clock are given up, as a card's ring buffer would.
constexpr int kMostFramesBehind = 8;

}  // namespace

VideoStreamPin::VideoStreamPin(const wchar_t* name, CaptureFilter* filter, CCritSec* lock, HRESULT* hr,
                               const GUID& category)
    : LiveStreamPin(name, filter, lock, hr, category),
      format_(DefaultVideoCapability()),
      connected_(format_)
{
}

STDMETHODIMP VideoStreamPin::NonDelegatingQueryInterface(REFIID iid, void** object)
{
    if (iid == IID_IAMStreamConfig)
        return GetInterface(static_cast<IAMStreamConfig*>(this), object);
    if (iid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), object);
    return LiveStreamPin::NonDelegatingQueryInterface(iid, object);
}

STDMETHODIMP VideoStreamPin::GetPages(CAUUID* pages)
{
    return OnePage(kClsidStreamFormatPage, pages);
}

VideoCapability VideoStreamPin::CurrentFormat() const
{
    return IsConnected() ? connected_ : format_;
}

STDMETHODIMP VideoStreamPin::SetFormat(AM_MEDIA_TYPE* type)
{
    const int omittedRow = SimulatedCard::Instance().OmittedCapabilityRow();
    const auto read = [omittedRow](const AM_MEDIA_TYPE& t, VideoCapability& cap) {
        return ReadVideoType(t, cap, omittedRow);
    };
    return ChangeStreamFormat<VideoCapability>(*this, *Filter(), *m_pLock, type, read,
                                               [this](const VideoCapability* cap) {
                                                   format_ = cap ? *cap : DefaultVideoCapability();
                                                   formatSet_ = cap != nullptr;
                                               });
}

STDMETHODIMP VideoStreamPin::GetFormat(AM_MEDIA_TYPE** type)
{
    CheckPointer(type, E_POINTER);
    CAutoLock hold(m_pLock);
    *type = NewVideoMediaType(CurrentFormat());
    return *type ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP VideoStreamPin::GetNumberOfCapabilities(int* count, int* size)
{
    CheckPointer(count, E_POINTER);
    CheckPointer(size, E_POINTER);
    *count = static_cast<int>(VideoCapabilities(SimulatedCard::Instance().OmittedCapabilityRow()).size());
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP VideoStreamPin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps)
{
    return StreamCapsAt(VideoCapabilities(SimulatedCard::Instance().OmittedCapabilityRow()), index, type, caps,
                        NewVideoMediaType, VideoConfigCaps);
}

HRESULT VideoStreamPin::CheckMediaType(const CMediaType* type)
{
    CheckPointer(type, E_POINTER);
    VideoCapability cap{};
    if (!ReadVideoType(*type, cap, SimulatedCard::Instance().OmittedCapabilityRow()))
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (formatSet_ && (cap.width != format_.width || cap.height != format_.height))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

// The format set or the default first; without a set format every capability follows.
HRESULT VideoStreamPin::GetMediaType(int position, CMediaType* type)
{
    CheckPointer(type, E_POINTER);
    if (position < 0)
        return E_INVALIDARG;
    VideoCapability cap = format_;
    if (position > 0) {
        const std::vector<VideoCapability> all = VideoCapabilities(SimulatedCard::Instance().OmittedCapabilityRow());
        if (formatSet_ || position > static_cast<int>(all.size()))
            return VFW_S_NO_MORE_ITEMS;
        cap = all[position - 1];
    }
    AM_MEDIA_TYPE* made = NewVideoMediaType(cap);
    if (!made)
        return E_OUTOFMEMORY;
    type->Adopt(made);
    return S_OK;
}

HRESULT VideoStreamPin::SetMediaType(const CMediaType* type)
{
    VideoCapability cap{};
    if (!ReadVideoType(*type, cap, SimulatedCard::Instance().OmittedCapabilityRow()))
        return VFW_E_TYPE_NOT_ACCEPTED;
    connected_ = cap;
    return CBaseOutputPin::SetMediaType(type);
}

HRESULT VideoStreamPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    CheckPointer(allocator, E_POINTER);
    CheckPointer(request, E_POINTER);
    const long frameBytes = static_cast<long>(Yuy2FrameBytes(connected_.width, connected_.height));
    request->cBuffers = std::max(request->cBuffers, 3L);
    request->cbBuffer = std::max(request->cbBuffer, frameBytes);
    request->cbAlign = std::max(request->cbAlign, 1L);
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < frameBytes ? E_FAIL : S_OK;
}

void VideoStreamPin::StartStream()
{
    timeline_ = VideoTimeline{};
    waitingForSignal_ = true;
}

LiveStreamPin::Step VideoStreamPin::NextStep(REFERENCE_TIME now, REFERENCE_TIME& waitFor)
{
    SimulatedCard& card = SimulatedCard::Instance();
    const InputTiming timing = TimingOf(card.CurrentInput());
    if (!timing.hasSignal) {
        waitingForSignal_ = true;
        return Step::Wait;
    }
    const bool tooLate = now - timeline_.NextDue() > kMostFramesBehind * timing.frameDuration;
    if (waitingForSignal_ || (tooLate && !card.KeepsLateFrames())) {
        timeline_.CatchUp(now, timing.frameDuration);
        waitingForSignal_ = false;
    }
    if (now < timeline_.NextDue()) {
        waitFor = timeline_.NextDue() - now;
        return Step::Wait;
    }
    pending_ = timeline_.Next(timing.frameDuration, card.Faults());
    interlaced_ = timing.interlaced;
    card.FramePassed(Session(), pending_.number);
    return pending_.dropped ? Step::Skip : Step::Deliver;
}

HRESULT VideoStreamPin::FillSample(IMediaSample* sample)
{
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr))
        return hr;
    const size_t stride = static_cast<size_t>(connected_.width) * 2;
    const size_t bytes = Yuy2FrameBytes(connected_.width, connected_.height);
    if (static_cast<size_t>(sample->GetSize()) < bytes)
        return E_UNEXPECTED;
    PaintFrame(data, stride, connected_.width, connected_.height, static_cast<uint32_t>(pending_.number), interlaced_);
    sample->SetActualDataLength(static_cast<long>(bytes));
    if (pending_.timed) {
        REFERENCE_TIME start = pending_.start;
        REFERENCE_TIME end = pending_.end;
        LONGLONG mediaStart = static_cast<LONGLONG>(pending_.number);
        LONGLONG mediaEnd = mediaStart + 1;
        sample->SetTime(&start, &end);
        sample->SetMediaTime(&mediaStart, &mediaEnd);
    } else {
        sample->SetTime(nullptr, nullptr);
        sample->SetMediaTime(nullptr, nullptr);
    }
    return S_OK;
}

}  // namespace cardsim
