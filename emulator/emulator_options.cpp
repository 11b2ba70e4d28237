#include "emulator_options.h"

#include "load_model.h"

#include <charconv>
#include <cmath>

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

// Faster than this the records, paced by the line, would each skip hours.
constexpr double MaxSpeed = 100000.0;

bool ParseSpeed(const std::string& text, double& speed)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value <= 0.0 ||
        value > MaxSpeed)
        return false;
    speed = value;
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
        if (name != "--port" && name != "--dir" && name != "--load" && name != "--log" && name != "--replay" &&
            name != "--speed" && name != "--operator") {
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
            if (!MakeLoad(value)) {
                result.error = "--load is resistive, smps, flicker or rectangular:RATE:PERCENT, not \"" + value + "\"";
                return result;
            }
            o.load = value;
        } else if (name == "--speed") {
            if (!ParseSpeed(value, o.speed)) {
                result.error = "--speed needs a number above 0 and up to 100000, not \"" + value + "\"";
                return result;
            }
        } else if (name == "--operator") {
            if (value != "switch" && value != "none") {
                result.error = "--operator is switch or none, not \"" + value + "\"";
                return result;
            }
            o.operatorSwitches = value == "switch";
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
           "  --load KIND     the equipment under test: resistive, smps, flicker, or\n"
           "                  rectangular:RATE:PERCENT for rectangular voltage changes,\n"
           "                  RATE a minute, PERCENT at the supply terminals (as in the\n"
           "                  flickermeter tables of IEC 61000-4-15) (default smps)\n"
           "  --log FILE      write every command received: milliseconds since start\n"
           "                  on the wall clock whatever --speed, a TAB, the command\n"
           "                  as received\n"
           "  --replay FILE   send the lines of FILE over and over instead of the model\n"
           "  --fast          send as fast as the reader takes instead of at 115200 baud\n"
           "  --speed N       run the analyser's clock N times faster: test countdowns,\n"
           "                  the 10-minute flicker intervals and the load's switching;\n"
           "                  the line keeps its pace (default 1)\n"
           "  --operator WHO  switch: an operator switches the equipment on and off at\n"
           "                  the prompts of manual-switching steps (default);\n"
           "                  none: the load is left as it runs\n"
           "  --help          show this text\n"
           "\n"
           "When the line is ready it prints \"COM<N> -> <pseudo-terminal>\" on standard\n"
           "output. It runs until interrupted and removes the link when it ends.\n";
}

}  // namespace qx7300emu
