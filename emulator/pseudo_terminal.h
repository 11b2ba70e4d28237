#pragma once

#include <string>

namespace qx7300emu {

// The analyser's end of the line: the master side of a pseudo-terminal, kept
// open for the emulator's whole life so that readers may come and go on the
// slave side. The slave is put in raw mode at 115200 baud once, so that a
// reader that does not set the line up itself still gets the bytes
// unchanged, and nothing it sends is echoed back.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // False with a message naming the failed step and the system's reason.
    bool Open(std::string& error);
    void Close();

    int MasterFd() const { return master_; }  // non-blocking
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace qx7300emu
