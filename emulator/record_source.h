#pragma once

#include <string>

namespace qx7300emu {

// Where the lines sent to the program come from: the modelled analyser or a
// file being replayed.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // The next complete line, line feed included, as of `now` (seconds since
    // the emulator started, on the analyser's clock: see CompressedTime).
    virtual std::string NextRecord(double now) = 0;
    // A command received from the program, as of `now`; false when it is not
    // one the source understands (it is then ignored).
    virtual bool Apply(const std::string& command, double now) = 0;
    // Seconds from `now` until the next line is due, when the source keeps
    // a timetable; negative when it does not say.
    virtual double SecondsUntilNext(double /*now*/) const { return -1.0; }
};

}  // namespace qx7300emu
