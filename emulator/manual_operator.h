#pragma once

namespace qx7300emu {

// The person at the operator station during a manual-switching test, who
// switches the equipment under test when the program says so: "Switch ON"
// once 5 s of a step have passed, "Switch OFF" when 5 s are left. The program
// times its prompts by the countdown the analyser reports, so the moments
// follow from the step's start and duration; the operator takes a moment to
// react. Between steps the equipment stays off, as the last prompt left it.
class ManualOperator {
public:
    static constexpr double PromptSeconds = 5.0;
    static constexpr double ReactionSeconds = 0.8;

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

    // A manual-switching step of `duration` seconds starts at `start`; the
    // equipment is off when it starts.
    void StepStarted(double start, double duration);
    // The step stops before its countdown has run out (aborted or held); the
    // operator switches the equipment off.
    void StepStopped(double now);
    // A test of another kind, or free running: the equipment is left to run.
    void Release();

    // Whether the operator holds the equipment switched off at `seconds`;
    // false whenever the equipment is left to run as it does.
    bool HoldsOff(double seconds) const;

private:
    bool enabled_ = false;
    bool engaged_ = false;
    double onAt_ = 0.0;   // switched on from here...
    double offAt_ = 0.0;  // ...until here
};

}  // namespace qx7300emu
