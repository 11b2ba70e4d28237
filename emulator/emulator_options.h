#pragma once

#include "line_faults.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qx7300emu {

struct EmulatorOptions {
    int port = 1;
    std::string folder = ".";
    std::string linkPath;        // the link to publish instead of COM<port> in folder
    std::string load = "smps";
    std::string logPath;
    std::string replayPath;
    bool fast = false;
    double speed = 1.0;          // the analyser's time runs this many times faster
    bool operatorSwitches = true;  // someone switches the equipment at manual-switching prompts
    std::vector<LineFault> faults;   // in the order given
    std::uint32_t seed = 1;          // of the faults' random choices
    std::string tapPath;             // copy of every byte sent on the line
    bool help = false;
};

struct ParsedOptions {
    EmulatorOptions options;
    std::string error;  // empty when the command line is good
};

// The arguments after the program name; "--name value" and "--name=value".
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace qx7300emu
