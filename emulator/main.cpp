#include "analyser.h"
#include "clock.h"
#include "com_link.h"
#include "command_log.h"
#include "compressed_time.h"
#include "emulator_options.h"
#include "emulator_runner.h"
#include "load_model.h"
#include "pseudo_terminal.h"
#include "replay_source.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

int wakeWriteFd = -1;

extern "C" void OnStopSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeWriteFd, &byte, 1);
    errno = saved;
}

bool InstallStopSignals(int& wakeReadFd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    wakeReadFd = fds[0];
    wakeWriteFd = fds[1];
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (::sigaction(signal, &action, nullptr) != 0)
            return false;
    }
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "qx7300-emulator: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace qx7300emu;
    const Clock clock;

    const ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "qx7300-emulator: %s\n\n%s", parsed.error.c_str(), UsageText().c_str());
        return 2;
    }
    const EmulatorOptions& options = parsed.options;
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }

    CommandLog log;
    if (!options.logPath.empty() && !log.Open(options.logPath))
        return Fail(options.logPath + ": " + std::strerror(errno));

    std::unique_ptr<RecordSource> source;
    if (!options.replayPath.empty()) {
        auto replay = std::make_unique<ReplaySource>();
        if (!replay->Load(options.replayPath))
            return Fail(options.replayPath + ": " + std::strerror(errno));
        source = std::move(replay);
    } else {
        auto analyser = std::make_unique<Analyser>(MakeLoad(options.load));
        analyser->SetOperatorEnabled(options.operatorSwitches);
        source = std::move(analyser);
    }
    CompressedTime analyserTime(*source, options.speed);

    int wakeReadFd = -1;
    if (!InstallStopSignals(wakeReadFd))
        return Fail(std::string("signal set-up: ") + std::strerror(errno));

    std::string error;
    PseudoTerminal terminal;
    if (!terminal.Open(error))
        return Fail(error);
    ComLink link;
    if (!link.Publish(options.folder, options.port, terminal.SlavePath(), error))
        return Fail(error);

    std::printf("COM%d -> %s\n", options.port, terminal.SlavePath().c_str());
    std::fflush(stdout);

    EmulatorRunner runner(
        terminal.MasterFd(), analyserTime,
        [&](const std::string& command, double now) {
            log.Write(now, command);
            analyserTime.Apply(command, now);
        },
        clock, options.fast);
    runner.Run(wakeReadFd);
    link.Remove();
    return 0;
}
