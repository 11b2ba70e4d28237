#include "emulator_options.h"

#include <charconv>

namespace qx7300emu {
namespace {

bool ParsePort(const std::string& text, int& port)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 255)
        return false;
    port = value;
    return true;
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments)
{
    ParsedOptions result;
    EmulatorOptions& o = result.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::string value;
        bool hasValue = false;
        const auto equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        if (name == "--fast" || name == "--help") {
            if (hasValue) {
                result.error = name + " takes no value";
                return result;
            }
            (name == "--fast" ? o.fast : o.help) = true;
            continue;
        }
        if (name != "--port" && name != "--dir" && name != "--load" && name != "--log" && name != "--replay") {
            result.error = "unknown option " + arguments[i];
            return result;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                result.error = name + " needs a value";
                return result;
            }
            value = arguments[++i];
        }
        if (name == "--port") {
            if (!ParsePort(value, o.port)) {
                result.error = "--port needs a number from 1 to 255, not \"" + value + "\"";
                return result;
            }
        } else if (name == "--load") {
            if (value != "resistive" && value != "smps" && value != "flicker") {
                result.error = "--load is resistive, smps or flicker, not \"" + value + "\"";
                return result;
            }
            o.load = value;
        } else if (value.empty()) {
            result.error = name + " needs a value";
            return result;
        } else if (name == "--dir") {
            o.folder = value;
        } else if (name == "--log") {
            o.logPath = value;
        } else {
            o.replayPath = value;
        }
    }
    return result;
}

std::string UsageText()
{
    return "Usage: qx7300-emulator [options]\n"
           "The QX7300 analyser's end of the serial line, on a pseudo-terminal.\n"
           "\n"
           "  --port N        publish the line as COM<N>, 1 to 255 (default 1)\n"
           "  --dir FOLDER    folder that receives the COM<N> link (default: current folder)\n"
           "  --load KIND     resistive, smps or flicker (default smps)\n"
           "  --log FILE      write every command received: milliseconds since start,\n"
           "                  a TAB, the command as received\n"
           "  --replay FILE   send the lines of FILE over and over instead of the model\n"
           "  --fast          send as fast as the reader takes instead of at 115200 baud\n"
           "  --help          show this text\n"
           "\n"
           "When the line is ready it prints \"COM<N> -> <pseudo-terminal>\" on standard\n"
           "output. It runs until interrupted and removes the link when it ends.\n";
}

}  // namespace qx7300emu
