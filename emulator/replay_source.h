#pragma once

#include "record_source.h"

#include <string>
#include <vector>

namespace qx7300emu {

// Sends the lines of a file, each with its line feed, one after another and
// from the top again after the last; for scripted sessions that need exact
// records. Commands are not acted on.
class ReplaySource : public RecordSource {
public:
    // False (with errno set, or EINVAL for a file without a single line)
    // when the file cannot be used.
    bool Load(const std::string& path);
    std::size_t LineCount() const { return lines_.size(); }

    std::string NextRecord(double now) override;
    bool Apply(const std::string& command, double now) override;

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

}  // namespace qx7300emu
