#include "command_splitter.h"

namespace qx7300emu {
namespace {

bool IsFiller(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u <= ' ' || u == 0x7F;
}

}  // namespace

void CommandSplitter::Expire(double now)
{
    if (!pending_.empty() && now - lastByteTime_ > StaleSeconds)
        pending_.clear();
}

std::vector<std::string> CommandSplitter::Feed(std::string_view bytes, double now)
{
    std::vector<std::string> commands;
    if (bytes.empty())
        return commands;
    Expire(now);
    lastByteTime_ = now;
    for (char c : bytes) {
        if (pending_.empty() && IsFiller(c))
            continue;
        pending_.push_back(c);
        if (c == ';') {
            commands.push_back(std::move(pending_));
            pending_.clear();
        } else if (pending_.size() > MaxLength) {
            pending_.clear();
        }
    }
    return commands;
}

}  // namespace qx7300emu
