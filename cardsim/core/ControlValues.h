// The values that steer the simulated card while it runs (HKCU\Software\ZelvanSim).
// The reading of the values is portable; where they come from is the caller's business.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "FaultPlan.h"
#include "InputKind.h"

namespace cardsim {

class ControlSource {
public:
    virtual ~ControlSource() = default;
    virtual std::optional<std::string> Text(const char* name) const = 0;
    virtual std::optional<uint32_t> Number(const char* name) const = 0;
};

struct ControlValues {
    InputKind input = InputKind::Hd1080i;
    FaultPlan faults;
    int omittedCapabilityRow = 0;  // 1..5: that row's exact stream capability is left out
    bool keepLateFrames = false;   // a late streaming thread delivers every frame all the same
};

// Missing values take their defaults; an unknown input name counts as missing.
ControlValues ReadControlValues(const ControlSource& source);

// Value names, as documented in cardsim/README.md.
namespace control {
constexpr const char* kInput = "Input";
constexpr const char* kDropEvery = "DropEvery";
constexpr const char* kBurstStart = "BurstStart";
constexpr const char* kBurstLength = "BurstLength";
constexpr const char* kJitter = "JitterMicroseconds";
constexpr const char* kUntimedEvery = "UntimedEvery";
constexpr const char* kNoAudio = "NoAudio";
constexpr const char* kRefuseAudio = "RefuseAudio";
constexpr const char* kChangeAfterFrames = "ChangeAfterFrames";
constexpr const char* kChangeTo = "ChangeTo";
constexpr const char* kOmitCapability = "OmitCapability";
constexpr const char* kKeepLateFrames = "KeepLateFrames";
constexpr const char* kFailStart = "FailStart";
constexpr const char* kAbortOnStop = "AbortOnStop";
constexpr const char* kLogFolder = "LogFolder";
}  // namespace control

}  // namespace cardsim
