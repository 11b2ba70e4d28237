#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qx7300emu {

// Gathers the bytes that arrive from the line into commands. A command ends
// with ";" and may come in any number of pieces. Blanks and control
// characters before a command are not part of it. A piece that is not
// completed within a second is dropped, so that a stray text without its ";"
// does not swallow the next command; so is anything longer than 1024 bytes.
class CommandSplitter {
public:
    static constexpr double StaleSeconds = 1.0;
    static constexpr std::size_t MaxLength = 1024;

    // The commands completed by `bytes`, in order, each up to and including
    // its ";".
    std::vector<std::string> Feed(std::string_view bytes, double now);

    // Drops a piece that has waited too long; called also when nothing arrives.
    void Expire(double now);

    const std::string& Pending() const { return pending_; }

private:
    std::string pending_;
    double lastByteTime_ = 0.0;
};

}  // namespace qx7300emu
