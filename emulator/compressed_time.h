#pragma once

#include "record_source.h"

namespace qx7300emu {

// Runs a source's clock `factor` times faster than the line's: a test's
// countdown, its measurement intervals and the load's switching all see
// compressed time, while the line itself (its pace, the command timeouts,
// the command log) keeps the wall clock.
class CompressedTime : public RecordSource {
public:
    CompressedTime(RecordSource& source, double factor) : source_(source), factor_(factor) {}

    std::string NextRecord(double now) override { return source_.NextRecord(now * factor_); }
    bool Apply(const std::string& command, double now) override { return source_.Apply(command, now * factor_); }
    double SecondsUntilNext(double now) const override
    {
        const double due = source_.SecondsUntilNext(now * factor_);
        return due < 0 ? due : due / factor_;
    }

private:
    RecordSource& source_;
    double factor_;
};

}  // namespace qx7300emu
