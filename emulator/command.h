#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qx7300emu {

// One command as the line carries it: an upper-case letter, a colon, optional
// parameters separated by commas, a semicolon ("K:C,16.0,0.75;").
struct Command {
    char letter = 0;
    std::vector<std::string> parameters;  // blanks around each one removed
};

// nullopt for a text that is not of that form.
std::optional<Command> ParseCommand(const std::string& text);

// A parameter as a decimal number: the whole text must convert.
std::optional<double> ParseNumber(const std::string& text);

}  // namespace qx7300emu
