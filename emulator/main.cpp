#include "analyser.h"
#include "clock.h"
#include "command_log.h"
#include "compressed_time.h"
#include "emulator_options.h"
#include "emulator_runner.h"
#include "line_faults.h"
#include "load_model.h"
#include "published_line.h"
#include "recording_source.h"
#include "replay_source.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string_view>
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

void Report(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Every byte sent on the line, written through at once so that a watcher
// reading the file sees what the reader has been sent.
class Tap {
public:
    ~Tap()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Open(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        return fd_ >= 0;
    }
    void Write(std::string_view bytes)
    {
        while (fd_ >= 0 && !bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

private:
    int fd_ = -1;
};

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
    Tap tap;
    if (!options.tapPath.empty() && !tap.Open(options.tapPath))
        return Fail(options.tapPath + ": " + std::strerror(errno));

    std::unique_ptr<RecordSource> source;
    if (!options.replayPath.empty() && RecordingSource::LooksLikeRecording(options.replayPath)) {
        auto recording = std::make_unique<RecordingSource>();
        std::string problem;
        if (!recording->Load(options.replayPath, problem))
            return Fail(options.replayPath + ": " + problem);
        // What is whole before any damage still plays.
        if (!problem.empty())
            Report(options.replayPath + ": " + problem + "; playing the " + std::to_string(recording->LineCount()) +
                   " lines before it");
        source = std::move(recording);
    } else if (!options.replayPath.empty()) {
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
    PublishedLine line(options.folder, options.port, options.linkPath);
    if (!line.PlugIn(error))
        return Fail(error);
    Report(line.Announcement());

    LineFaults faults(options.faults, options.seed);
    EmulatorRunner runner(
        line, analyserTime,
        [&](const std::string& command, double now) {
            log.Write(now, command);
            analyserTime.Apply(command, now);
        },
        clock, options.fast, faults, [&](std::string_view bytes) { tap.Write(bytes); }, Report);
    runner.Run(wakeReadFd);
    line.Pull();
    return 0;
}
