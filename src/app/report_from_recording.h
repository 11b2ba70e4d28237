#pragma once

#include <QString>

class QTextStream;

// "veltrix --report-from RECORDING --out FILE": the recording played into a
// window that is never shown and has no port, and the report it leaves
// written as FILE (.txt, .csv or .pdf, by its extension). Needs the
// application object; no display (the offscreen platform does). A damaged
// recording is said on `messages` and writes nothing, so that it never
// replaces a good report; with `partial` it is played up to the damage and
// the report is written with a first line saying that it is partial and
// why. Returns the exit code: 0 done, 1 a damaged recording or a file that
// could not be written, 2 nothing to play.
int ReportFromRecording(const QString& recordingPath, const QString& outPath, QTextStream& messages,
                        bool partial = false);

// Whether `outPath` names the recording itself (a slip of the command line
// that would put the output in the recording's place).
bool IsTheRecording(const QString& recordingPath, const QString& outPath);
