#include "replay_source.h"

#include <cerrno>
#include <fstream>
#include <iterator>

namespace qx7300emu {

bool ReplaySource::Load(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno == 0)
            errno = ENOENT;
        return false;
    }
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    lines_.clear();
    next_ = 0;
    std::size_t start = 0;
    while (start < content.size()) {
        const auto end = content.find('\n', start);
        if (end == std::string::npos) {
            // A last line without its line feed still ends as a line.
            lines_.push_back(content.substr(start) + '\n');
            break;
        }
        lines_.push_back(content.substr(start, end - start + 1));
        start = end + 1;
    }
    if (lines_.empty()) {
        errno = EINVAL;
        return false;
    }
    return true;
}

std::string ReplaySource::NextRecord(double)
{
    if (lines_.empty())
        return {};
    const std::string& line = lines_[next_];
    next_ = (next_ + 1) % lines_.size();
    return line;
}

bool ReplaySource::Apply(const std::string&, double)
{
    return false;
}

}  // namespace qx7300emu
