#include "ControlValues.h"

#include <algorithm>

namespace cardsim {
namespace {

constexpr uint32_t kMaxJitterMicroseconds = 1000000;
constexpr uint32_t kFailureBit = 0x80000000;  // the severity bit of a failure code

uint32_t NumberOr(const ControlSource& source, const char* name, uint32_t fallback)
{
    return source.Number(name).value_or(fallback);
}

// A failure code, or 0 for a missing value or one that is no failure.
uint32_t FailureCode(const ControlSource& source, const char* name)
{
    const uint32_t code = NumberOr(source, name, 0);
    return (code & kFailureBit) ? code : 0;
}

std::optional<InputKind> InputNamed(const ControlSource& source, const char* name)
{
    const std::optional<std::string> text = source.Text(name);
    return text ? ParseInputKind(*text) : std::nullopt;
}

}  // namespace

ControlValues ReadControlValues(const ControlSource& source)
{
    ControlValues values;
    values.input = InputNamed(source, control::kInput).value_or(values.input);

    FaultPlan& faults = values.faults;
    faults.dropEvery = NumberOr(source, control::kDropEvery, 0);
    faults.burstStart = NumberOr(source, control::kBurstStart, 0);
    faults.burstLength = NumberOr(source, control::kBurstLength, 0);
    faults.jitter = std::min(NumberOr(source, control::kJitter, 0), kMaxJitterMicroseconds) * 10;
    faults.untimedEvery = NumberOr(source, control::kUntimedEvery, 0);
    faults.noAudio = NumberOr(source, control::kNoAudio, 0) != 0;
    faults.refuseAudio = NumberOr(source, control::kRefuseAudio, 0) != 0;
    faults.startFailure = FailureCode(source, control::kFailStart);
    faults.abortOnStop = FailureCode(source, control::kAbortOnStop);
    if (const std::optional<InputKind> changeTo = InputNamed(source, control::kChangeTo)) {
        faults.changes = true;
        faults.changeTo = *changeTo;
        faults.changeAfterFrames = NumberOr(source, control::kChangeAfterFrames, 0);
    }

    const uint32_t omitted = NumberOr(source, control::kOmitCapability, 0);
    values.omittedCapabilityRow = omitted <= 5 ? static_cast<int>(omitted) : 0;
    values.keepLateFrames = NumberOr(source, control::kKeepLateFrames, 0) != 0;
    return values;
}

}  // namespace cardsim
