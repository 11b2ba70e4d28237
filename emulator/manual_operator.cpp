#include "manual_operator.h"

#include <algorithm>

namespace qx7300emu {

void ManualOperator::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (!enabled)
        engaged_ = false;
}

void ManualOperator::StepStarted(double start, double duration)
{
    if (!enabled_)
        return;
    engaged_ = true;
    const double end = start + duration;
    // "Switch OFF" takes precedence: a step of 10 s or less never asks for
    // the equipment to be switched on.
    offAt_ = end - PromptSeconds + ReactionSeconds;
    onAt_ = duration > 2.0 * PromptSeconds ? start + PromptSeconds + ReactionSeconds : offAt_;
}

void ManualOperator::StepStopped(double now)
{
    if (engaged_)
        offAt_ = std::min(offAt_, now + ReactionSeconds);
}

void ManualOperator::Release()
{
    engaged_ = false;
}

bool ManualOperator::HoldsOff(double seconds) const
{
    return engaged_ && !(seconds >= onAt_ && seconds < offAt_);
}

}  // namespace qx7300emu
