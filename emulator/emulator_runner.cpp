#include "emulator_runner.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <poll.h>
#include <unistd.h>

namespace qx7300emu {
namespace {

constexpr double ReaderRetrySeconds = 0.1;
constexpr double LongestWait = 0.25;  // so that a stale command piece expires in time
constexpr std::size_t FastChunk = 4096;

}  // namespace

EmulatorRunner::EmulatorRunner(PublishedLine& line, RecordSource& source, CommandHandler onCommand,
                               const Clock& clock, bool fast, LineFaults& faults, SentHandler onSent,
                               ReportHandler onReport)
    : line_(line),
      source_(source),
      onCommand_(std::move(onCommand)),
      clock_(clock),
      fast_(fast),
      faults_(faults),
      onSent_(std::move(onSent)),
      onReport_(std::move(onReport))
{
}

void EmulatorRunner::LoseReader(double now)
{
    readerAbsent_ = true;
    retryAt_ = now + ReaderRetrySeconds;
    waitWritable_ = false;
    pending_.clear();  // the next reader starts on a whole record
    sent_ = 0;
}

void EmulatorRunner::ReadCommands(double now)
{
    char buffer[4096];
    while (!readerAbsent_ && line_.Present()) {
        const ssize_t count = ::read(line_.MasterFd(), buffer, sizeof buffer);
        if (count > 0) {
            for (const std::string& command : splitter_.Feed(std::string_view(buffer, static_cast<std::size_t>(count)), now)) {
                onCommand_(command, now);
                faults_.CommandReceived(now);
            }
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN)
            LoseReader(now);  // EIO: nobody holds the slave side
        break;
    }
    splitter_.Expire(now);
}

bool EmulatorRunner::ReaderPresent()
{
    // With nobody on the slave side the master reports a hang-up; writes would
    // still be taken, and kept for whoever opens the slave next.
    pollfd probe{line_.MasterFd(), POLLIN, 0};
    return ::poll(&probe, 1, 0) >= 0 && (probe.revents & POLLHUP) == 0;
}

void EmulatorRunner::ApplyFaultChanges(double now)
{
    for (const LineFaults::Change& change : faults_.Advance(now)) {
        if (faults_.Faults()[change.index].kind == FaultKind::Hangup) {
            LoseReader(now);
            splitter_ = CommandSplitter();
            if (change.begins) {
                line_.Pull();
            } else {
                std::string error;
                onReport_(line_.PlugIn(error) ? line_.Announcement() : "replug failed: " + error);
            }
        }
        onReport_(change.report);
    }
}

double EmulatorRunner::WriteRecords(double now)
{
    if (!line_.Present())
        return LongestWait;
    if (faults_.Stalled())
        return LongestWait;  // the analyser hears, and says nothing
    if (readerAbsent_) {
        if (now < retryAt_)
            return retryAt_ - now;
        if (!ReaderPresent()) {
            retryAt_ = now + ReaderRetrySeconds;
            return ReaderRetrySeconds;
        }
        readerAbsent_ = false;
        pacer_.Restart(now);
    }
    if (waitWritable_)
        return LongestWait;
    if (pending_.empty()) {
        pending_ = faults_.Shape(source_.NextRecord(now));
        sent_ = 0;
        if (pending_.empty()) {
            const double due = source_.SecondsUntilNext(now);
            return due < 0 ? LongestWait : std::min(due, LongestWait);
        }
    }
    const std::size_t remaining = pending_.size() - sent_;
    // Paced output goes in pieces of half a burst: waking for that much keeps
    // the credit that a late wake-up brings below the burst cap, so none of it
    // is lost and the line runs at its full rate.
    const std::size_t piece = std::min(remaining, LinePacer::Burst / 2);
    const bool unpaced = fast_ || faults_.Flooding();
    std::size_t chunk = unpaced ? std::min(remaining, FastChunk) : std::min(remaining, pacer_.Allowance(now));
    if (!unpaced && chunk < piece)
        return pacer_.SecondsUntil(piece, now);

    const ssize_t written = ::write(line_.MasterFd(), pending_.data() + sent_, chunk);
    if (written > 0) {
        if (onSent_)
            onSent_(std::string_view(pending_.data() + sent_, static_cast<std::size_t>(written)));
        sent_ += static_cast<std::size_t>(written);
        if (unpaced)
            faults_.CountUnpaced(static_cast<std::size_t>(written));
        else
            pacer_.Consume(static_cast<std::size_t>(written));
        if (sent_ == pending_.size())
            pending_.clear();
        return 0.0;
    }
    if (written < 0 && errno == EINTR)
        return 0.0;
    if (written < 0 && errno == EAGAIN) {
        waitWritable_ = true;  // the reader is behind; poll says when there is room
        return LongestWait;
    }
    LoseReader(now);
    return ReaderRetrySeconds;
}

void EmulatorRunner::Run(int wakeFd)
{
    while (true) {
        double now = clock_.Now();
        ApplyFaultChanges(now);
        ReadCommands(now);
        now = clock_.Now();
        ApplyFaultChanges(now);  // the first command starts the faults' clock
        const double wait = std::min({WriteRecords(now), faults_.UntilNextChange(now), LongestWait});

        pollfd fds[2] = {{wakeFd, POLLIN, 0}, {line_.MasterFd(), 0, 0}};
        nfds_t count = 1;
        if (!readerAbsent_ && line_.Present()) {
            // While nobody holds the slave the master reports a hang-up at
            // once; it is left out of the wait then, or the loop would spin.
            fds[1].events = static_cast<short>(POLLIN | (waitWritable_ ? POLLOUT : 0));
            count = 2;
        }
        const int timeout = wait <= 0.0 ? 0 : static_cast<int>(std::ceil(wait * 1000.0));
        const int ready = ::poll(fds, count, timeout);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready > 0 && (fds[0].revents & POLLIN) != 0)
            return;
        if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR)) != 0)
            LoseReader(clock_.Now());
        else if (count == 2 && (fds[1].revents & POLLOUT) != 0)
            waitWritable_ = false;
    }
}

}  // namespace qx7300emu
