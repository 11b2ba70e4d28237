#include "command_log.h"

#include <cmath>

namespace qx7300emu {

CommandLog::~CommandLog()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

bool CommandLog::Open(const std::string& path)
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

std::string CommandLog::FormatLine(double secondsSinceStart, const std::string& command)
{
    const long long ms = std::llround(std::fmax(secondsSinceStart, 0.0) * 1000.0);
    std::string line = std::to_string(ms) + "\t";
    for (char c : command) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            line += escaped;
        } else {
            line += c;
        }
    }
    line += '\n';
    return line;
}

void CommandLog::Write(double secondsSinceStart, const std::string& command)
{
    if (file_ == nullptr)
        return;
    const std::string line = FormatLine(secondsSinceStart, command);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

}  // namespace qx7300emu
