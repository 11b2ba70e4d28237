#include "command.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace qx7300emu {
namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<Command> ParseCommand(const std::string& text)
{
    const std::string body = Trimmed(text);
    if (body.size() < 3 || body.back() != ';' || body[1] != ':')
        return std::nullopt;
    if (!std::isupper(static_cast<unsigned char>(body[0])))
        return std::nullopt;
    Command command;
    command.letter = body[0];
    const std::string params = body.substr(2, body.size() - 3);
    if (params.find(';') != std::string::npos)
        return std::nullopt;
    if (Trimmed(params).empty())
        return command;
    std::size_t start = 0;
    while (true) {
        const auto comma = params.find(',', start);
        command.parameters.push_back(Trimmed(params.substr(start, comma - start)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return command;
}

std::optional<double> ParseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+')
        ++first;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace qx7300emu
