#include "recording_source.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace qx7300emu {
namespace {

const char Magic[] = "QX7300 Recording 1\n";
constexpr std::size_t EntryHeader = 9;

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
    if (stream.compare(0, sizeof Magic - 1, Magic) != 0) {
        error = "not a QX7300 recording";
        return false;
    }
    lines_.clear();
    next_ = 0;
    std::size_t at = sizeof Magic - 1;
    while (at + EntryHeader <= stream.size()) {
        const char kind = stream[at];
        const std::uint32_t ms = Word(stream, at + 1);
        const std::uint32_t length = Word(stream, at + 5);
        if (length > stream.size() - at - EntryHeader) {
            if (error.empty())
                error = "cut short";
            break;
        }
        // A time before the line before it (damage) plays at once after it.
        if (kind == 'R')
            lines_.push_back({std::max(ms / 1000.0, lines_.empty() ? 0.0 : lines_.back().seconds),
                              stream.substr(at + EntryHeader, length) + '\n'});
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
