#pragma once

#include "clock.h"
#include "command_splitter.h"
#include "line_faults.h"
#include "line_pacer.h"
#include "published_line.h"
#include "record_source.h"

#include <functional>
#include <string>
#include <string_view>

namespace qx7300emu {

// Serves the line: streams records to the master side of the pseudo-terminal
// and hands every command that arrives to a handler. A reader that is not
// there, or goes away, only pauses the stream: while nobody holds the slave
// side nothing is sent (as on a real line, what the analyser sends then is
// lost), the emulator looks again ten times a second, and the next reader
// gets a fresh record, after whatever part of the record in flight the last
// reader left unread in the terminal.
//
// The line's faults act on the way out: records are shaped by them, a stall
// holds the output, a flood lifts the pacing, a hang-up pulls the line and a
// replug publishes a new one under the same name.
class EmulatorRunner {
public:
    using CommandHandler = std::function<void(const std::string& command, double now)>;
    // Bytes as they went onto the line.
    using SentHandler = std::function<void(std::string_view bytes)>;
    // A line for whoever watches the emulator: a fault beginning or ending,
    // the line published again.
    using ReportHandler = std::function<void(const std::string& report)>;

    EmulatorRunner(PublishedLine& line, RecordSource& source, CommandHandler onCommand, const Clock& clock,
                   bool fast, LineFaults& faults, SentHandler onSent, ReportHandler onReport);

    // Runs until `wakeFd` becomes readable (the signal handlers write to it).
    void Run(int wakeFd);

private:
    void ReadCommands(double now);
    // Sends what the pace allows; returns the seconds to wait before trying
    // again (0 to go on at once).
    double WriteRecords(double now);
    void LoseReader(double now);
    bool ReaderPresent();
    void ApplyFaultChanges(double now);

    PublishedLine& line_;
    RecordSource& source_;
    CommandHandler onCommand_;
    const Clock& clock_;
    bool fast_;
    LineFaults& faults_;
    SentHandler onSent_;
    ReportHandler onReport_;
    LinePacer pacer_;
    CommandSplitter splitter_;
    std::string pending_;
    std::size_t sent_ = 0;
    bool readerAbsent_ = true;  // until the first look
    double retryAt_ = 0.0;
    bool waitWritable_ = false;
};

}  // namespace qx7300emu
