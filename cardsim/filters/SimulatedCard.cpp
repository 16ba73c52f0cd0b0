#include "SimulatedCard.h"

#include "RegistryControl.h"

namespace cardsim {
namespace {

constexpr ULONGLONG kControlRefreshMs = 40;

}  // namespace

SimulatedCard& SimulatedCard::Instance()
{
    static SimulatedCard card;
    return card;
}

void SimulatedCard::RefreshLocked()
{
    const ULONGLONG now = GetTickCount64();
    if (read_ && now - lastRead_ < kControlRefreshMs)
        return;
    values_ = ReadRegistryControl();
    input_.Configure(values_);
    lastRead_ = now;
    read_ = true;
}

InputKind SimulatedCard::CurrentInput()
{
    std::lock_guard<std::mutex> hold(lock_);
    RefreshLocked();
    return input_.Current();
}

FaultPlan SimulatedCard::Faults()
{
    std::lock_guard<std::mutex> hold(lock_);
    RefreshLocked();
    return values_.faults;
}

int SimulatedCard::OmittedCapabilityRow()
{
    std::lock_guard<std::mutex> hold(lock_);
    RefreshLocked();
    return values_.omittedCapabilityRow;
}

bool SimulatedCard::KeepsLateFrames()
{
    std::lock_guard<std::mutex> hold(lock_);
    RefreshLocked();
    return values_.keepLateFrames;
}

void SimulatedCard::FramePassed(uint64_t runId, uint64_t frameNumber)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (runId != countedRun_) {
        countedRun_ = runId;
        nextUncounted_ = 0;
    }
    while (nextUncounted_ <= frameNumber) {
        input_.CountFrame();
        ++nextUncounted_;
    }
}

bool SimulatedCard::CanRoute(long output, long input)
{
    std::lock_guard<std::mutex> hold(lock_);
    return routing_.CanRoute(output, input);
}

bool SimulatedCard::Route(long output, long input)
{
    std::lock_guard<std::mutex> hold(lock_);
    return routing_.Route(output, input);
}

long SimulatedCard::RoutedTo(long output)
{
    std::lock_guard<std::mutex> hold(lock_);
    return routing_.RoutedTo(output);
}

AudioInput SimulatedCard::RoutedAudio()
{
    std::lock_guard<std::mutex> hold(lock_);
    return routing_.RoutedAudio();
}

long SimulatedCard::TvFormat()
{
    std::lock_guard<std::mutex> hold(lock_);
    return tvFormat_;
}

void SimulatedCard::SetTvFormat(long format)
{
    std::lock_guard<std::mutex> hold(lock_);
    tvFormat_ = format;
}

}  // namespace cardsim
