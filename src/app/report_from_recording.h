#pragma once

#include <QString>

class QTextStream;

// "veltrix --report-from RECORDING --out FILE": the recording played into a
// window that is never shown and has no port, and the report it leaves
// written as FILE (.txt, .csv or .pdf, by its extension). Needs the
// application object; no display (the offscreen platform does). A damaged
// recording is played up to the damage, said on `messages`, and the report
// is still written. Returns the exit code: 0 done, 1 a damaged recording or
// a file that could not be written, 2 nothing to play.
int ReportFromRecording(const QString& recordingPath, const QString& outPath, QTextStream& messages);
