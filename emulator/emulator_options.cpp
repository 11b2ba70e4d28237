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

bool ParseSeed(const std::string& text, std::uint32_t& seed)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    seed = value;
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
            name != "--speed" && name != "--operator" && name != "--fault" && name != "--seed" &&
            name != "--tap" && name != "--link") {
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
        } else if (name == "--fault") {
            LineFault fault;
            if (!ParseFault(value, fault, result.error))
                return result;
            o.faults.push_back(fault);
        } else if (name == "--seed") {
            if (!ParseSeed(value, o.seed)) {
                result.error = "--seed needs a whole number from 0 to 4294967295, not \"" + value + "\"";
                return result;
            }
        } else if (value.empty()) {
            result.error = name + " needs a value";
            return result;
        } else if (name == "--dir") {
            o.folder = value;
        } else if (name == "--log") {
            o.logPath = value;
        } else if (name == "--link") {
            o.linkPath = value;
        } else if (name == "--tap") {
            o.tapPath = value;
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
           "  --link PATH     publish the line as the link PATH instead, as a USB adapter's\n"
           "                  /dev/serial/by-id name is (a COM<N> made to lead to PATH\n"
           "                  then finds the line, and loses it at a hang-up)\n"
           "  --load KIND     the equipment under test: resistive, smps, flicker, or\n"
           "                  rectangular:RATE:PERCENT for rectangular voltage changes,\n"
           "                  RATE a minute, PERCENT at the supply terminals (as in the\n"
           "                  flickermeter tables of IEC 61000-4-15) (default smps)\n"
           "  --log FILE      write every command received: milliseconds since start\n"
           "                  on the wall clock whatever --speed, a TAB, the command\n"
           "                  as received\n"
           "  --replay FILE   send the lines of FILE over and over instead of the model;\n"
           "                  a recording made by Veltrix (.qxr) is played once, each\n"
           "                  line at the time it was received\n"
           "  --fast          send as fast as the reader takes instead of at 115200 baud\n"
           "  --speed N       run the analyser's clock N times faster: test countdowns,\n"
           "                  the 10-minute flicker intervals and the load's switching;\n"
           "                  the line keeps its pace (default 1)\n"
           "  --operator WHO  switch: an operator switches the equipment on and off at\n"
           "                  the prompts of manual-switching steps (default);\n"
           "                  none: the load is left as it runs\n"
           "  --fault FAULT   a fault of the line; may be given several times, and the\n"
           "                  faults combine (see below)\n"
           "  --seed N        seed of the faults' random choices: the same seed makes\n"
           "                  the same choices for the same bytes (default 1)\n"
           "  --tap FILE      write a copy of every byte sent on the line, faults\n"
           "                  included, as it goes out\n"
           "  --help          show this text\n"
           "\n"
           "Faults. AT and SECONDS are in seconds on the wall clock, whatever --speed;\n"
           "AT counts from the first command received (the program's first command\n"
           "after it opened the port), and no fault acts before that command. Without\n"
           "AT a fault acts from that command on; without SECONDS it lasts to the end.\n"
           "  drop:P[:AT[:SECONDS]]     each byte sent is lost with probability P\n"
           "  corrupt:P[:AT[:SECONDS]]  each byte sent has one bit flipped with\n"
           "                            probability P\n"
           "  garbage:N[:AT[:SECONDS]]  before one record in two, on average, a burst\n"
           "                            of N random bytes (never a line feed)\n"
           "  stall:AT:SECONDS          nothing is sent for SECONDS; commands are still\n"
           "                            heard and obeyed\n"
           "  hangup:AT[:REPLUG]        the line disappears, as a pulled USB adapter\n"
           "                            does: the link COM<N> is removed and the\n"
           "                            pseudo-terminal closed; after REPLUG seconds a new\n"
           "                            one is published under the same name\n"
           "  flood[:AT[:SECONDS]]      records as fast as the reader takes them, without\n"
           "                            the line's pace\n"
           "\n"
           "When the line is ready it prints \"COM<N> -> <pseudo-terminal>\" on standard\n"
           "output (\"PATH -> <pseudo-terminal>\" with --link), and again each time a\n"
           "hang-up's line comes back. Each fault prints\n"
           "\"fault FAULT begins\" and \"fault FAULT ends\" (with what it did) as it\n"
           "starts and stops acting. It runs until interrupted and removes the link\n"
           "when it ends.\n";
}

}  // namespace qx7300emu
