#include "LiveInput.h"

namespace cardsim {

void LiveInput::Configure(const ControlValues& values)
{
    if (!configured_ || values.input != values_.input) {
        framesSinceConfigured_ = 0;
        changed_ = false;
    }
    values_ = values;
    configured_ = true;
}

void LiveInput::CountFrame()
{
    ++framesSinceConfigured_;
    const FaultPlan& faults = values_.faults;
    if (faults.changes && framesSinceConfigured_ >= faults.changeAfterFrames)
        changed_ = true;
}

InputKind LiveInput::Current() const
{
    return changed_ && values_.faults.changes ? values_.faults.changeTo : values_.input;
}

}  // namespace cardsim
