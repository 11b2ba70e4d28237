#pragma once

#include "com_link.h"
#include "pseudo_terminal.h"

#include <string>

namespace qx7300emu {

// The analyser's line as the program finds it: a pseudo-terminal published
// as "COM<n>" in a folder. It can be pulled out, as a USB adapter is (the
// pseudo-terminal goes, and its link with it), and plugged in again under
// the same name, on a new pseudo-terminal.
class PublishedLine {
public:
    // `linkPath`, when given, is published instead of COM<port> in `folder`.
    PublishedLine(const std::string& folder, int port, const std::string& linkPath = {})
        : linkPath_(linkPath.empty() ? ComLink::LinkPath(folder, port) : linkPath),
          name_(linkPath.empty() ? "COM" + std::to_string(port) : linkPath) {}

    // Makes a pseudo-terminal and publishes it; false with a message.
    bool PlugIn(std::string& error);
    // Removes the link and closes the pseudo-terminal: a reader holding the
    // slave side sees the line hang up.
    void Pull();

    bool Present() const { return terminal_.MasterFd() >= 0; }
    int MasterFd() const { return terminal_.MasterFd(); }
    // "COM<n> -> <pseudo-terminal>" (or the link's path instead of COM<n>),
    // the line that tells a reader where to look.
    std::string Announcement() const;

private:
    std::string linkPath_;
    std::string name_;
    PseudoTerminal terminal_;
    ComLink link_;
};

}  // namespace qx7300emu
