// The input as the card sees it from moment to moment: the configured input, replaced by
// the fault plan's changed input once enough frames have passed since it was configured.
#pragma once

#include <cstdint>

#include "ControlValues.h"

namespace cardsim {

class LiveInput {
public:
    // Takes the latest control values; a new input restarts the count towards a change.
    void Configure(const ControlValues& values);
    // One frame period of the input has passed (delivered or dropped).
    void CountFrame();
    InputKind Current() const;
    const FaultPlan& Faults() const { return values_.faults; }

private:
    ControlValues values_;
    bool configured_ = false;
    uint64_t framesSinceConfigured_ = 0;
    bool changed_ = false;
};

}  // namespace cardsim
