#pragma once

#include <string>

namespace qx7300emu {

// The entry "COM<n>" in a folder, a symbolic link to the pseudo-terminal, by
// which the program finds its port. A stale link left by an earlier run is
// replaced; anything that is not a link is left alone and refused. The link
// is removed again when the emulator ends, unless someone has pointed it
// elsewhere meanwhile.
class ComLink {
public:
    ComLink() = default;
    ~ComLink();
    ComLink(const ComLink&) = delete;
    ComLink& operator=(const ComLink&) = delete;

    bool Publish(const std::string& path, const std::string& target, std::string& error);
    void Remove();

    const std::string& Path() const { return path_; }

    static std::string LinkPath(const std::string& folder, int port);

private:
    std::string path_;
    std::string target_;
};

}  // namespace qx7300emu
