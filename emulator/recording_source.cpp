#include "recording_source.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace qx7300emu {
namespace {

// "QX7300 Recording <version>" and a LF. Version 1 keeps each received line
// with its LF, version 2 without; both magic lines are this long.
const char MagicStart[] = "QX7300 Recording ";
constexpr std::size_t MagicLength = sizeof MagicStart - 1 + 2;
constexpr int NewestVersion = 2;
constexpr std::size_t EntryHeader = 9;

// The version the stream's magic line names; 0 when it is no recording.
int VersionOf(const std::string& stream)
{
    if (stream.compare(0, sizeof MagicStart - 1, MagicStart) != 0)
        return 0;
    int version = 0;
    for (std::size_t at = sizeof MagicStart - 1; at < stream.size() && at < sizeof MagicStart + 6; ++at) {
        const char ch = stream[at];
        if (ch == '\n')
            return at > sizeof MagicStart - 1 ? version : 0;
        if (ch < '0' || ch > '9')
            return 0;
        version = version * 10 + (ch - '0');
    }
    return 0;
}

std::uint32_t Word(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// The gzip members one after another, up to any damage (then `error`).
std::string Inflate(const std::string& compressed, std::string& error)
{
    std::string out;
    z_stream zs{};
    if (inflateInit2(&zs, 15 + 16) != Z_OK) {
        error = "cannot uncompress";
        return out;
    }
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    zs.avail_in = static_cast<uInt>(compressed.size());
    char buffer[65536];
    bool inMember = true;
    for (;;) {
        zs.next_out = reinterpret_cast<Bytef*>(buffer);
        zs.avail_out = sizeof buffer;
        const int result = inflate(&zs, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - zs.avail_out);
        if (result == Z_STREAM_END) {
            inMember = false;
            if (zs.avail_in == 0)
                break;
            inflateReset(&zs);
            inMember = true;
        } else if (result == Z_BUF_ERROR && zs.avail_in == 0) {
            break;
        } else if (result != Z_OK) {
            error = "corrupted";
            inMember = false;
            break;
        }
    }
    if (inMember && error.empty())
        error = "cut short";
    inflateEnd(&zs);
    return out;
}

}  // namespace

bool RecordingSource::LooksLikeRecording(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    char head[2] = {};
    return file.read(head, 2) && static_cast<unsigned char>(head[0]) == 0x1f &&
           static_cast<unsigned char>(head[1]) == 0x8b;
}

bool RecordingSource::Load(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = std::strerror(errno ? errno : ENOENT);
        return false;
    }
    const std::string compressed((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string stream = Inflate(compressed, error);
    const int version = VersionOf(stream);
    if (version > NewestVersion) {
        error = "made by a newer Veltrix (recording version " + std::to_string(version) + ")";
        return false;
    }
    if (version == 0) {
        error = "not a QX7300 recording";
        return false;
    }
    lines_.clear();
    next_ = 0;
    std::size_t at = MagicLength;
    while (at + EntryHeader <= stream.size()) {
        const char kind = stream[at];
        const std::uint32_t ms = Word(stream, at + 1);
        const std::uint32_t length = Word(stream, at + 5);
        if (length > stream.size() - at - EntryHeader) {
            if (error.empty())
                error = "cut short";
            break;
        }
        if (kind == 'R') {
            std::string line = stream.substr(at + EntryHeader, length);
            if (version == 1 && !line.empty() && line.back() == '\n')
                line.pop_back();
            // A time before the line before it (damage) plays at once after it.
            lines_.push_back({std::max(ms / 1000.0, lines_.empty() ? 0.0 : lines_.back().seconds), line + '\n'});
        }
        at += EntryHeader + length;
    }
    if (at < stream.size() && error.empty())
        error = "cut short";
    if (lines_.empty()) {
        if (error.empty())
            error = "holds no received line";
        return false;
    }
    return true;
}

std::string RecordingSource::NextRecord(double now)
{
    if (next_ >= lines_.size())
        return {};
    if (startedAt_ < 0)
        startedAt_ = now - lines_.front().seconds;
    if (now - startedAt_ < lines_[next_].seconds)
        return {};
    return lines_[next_++].text;
}

bool RecordingSource::Apply(const std::string&, double)
{
    return false;
}

double RecordingSource::SecondsUntilNext(double now) const
{
    if (next_ >= lines_.size() || startedAt_ < 0)
        return -1.0;
    const double due = startedAt_ + lines_[next_].seconds - now;
    return due > 0 ? due : 0.0;
}

}  // namespace qx7300emu
