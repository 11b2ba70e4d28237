#pragma once

#include "record_source.h"

#include <string>
#include <vector>

namespace qx7300emu {

// Plays a recording made by the program: the lines it received, each at
// the time it arrived, counted from the first call for a record; once
// through, then silence. Commands are not acted on.
class RecordingSource : public RecordSource {
public:
    // Reads the file. False with `error` set when nothing can be played; a
    // recording damaged part way plays what is whole before the damage, and
    // `error` then says what is wrong while Load returns true.
    bool Load(const std::string& path, std::string& error);
    std::size_t LineCount() const { return lines_.size(); }

    std::string NextRecord(double now) override;
    bool Apply(const std::string& command, double now) override;
    double SecondsUntilNext(double now) const override;

    // The gzip magic: what tells a recording from a file of plain lines.
    static bool LooksLikeRecording(const std::string& path);

private:
    struct Line {
        double seconds;
        std::string text;
    };
    std::vector<Line> lines_;
    std::size_t next_ = 0;
    double startedAt_ = -1.0;
};

}  // namespace qx7300emu
