#pragma once

#include <cstdio>
#include <string>

namespace qx7300emu {

// The record of every command received, for scripts that check what the
// program sent: one line per command, the milliseconds since the emulator
// started, a TAB, the command as received. Each line is on disk as soon as it
// is written, so a reader may follow the file while the emulator runs.
class CommandLog {
public:
    CommandLog() = default;
    ~CommandLog();
    CommandLog(const CommandLog&) = delete;
    CommandLog& operator=(const CommandLog&) = delete;

    // Creates or empties the file; false (with errno set) when it cannot.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Write(double secondsSinceStart, const std::string& command);

    // The line written for a command; control characters inside the command,
    // which would break the one-a-line layout, appear as \xNN.
    static std::string FormatLine(double secondsSinceStart, const std::string& command);

private:
    std::FILE* file_ = nullptr;
};

}  // namespace qx7300emu
