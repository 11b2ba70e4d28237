#pragma once

#include <QString>

class QTextStream;

// "veltrix --report-from RECORDING --trend ORDER --out FILE" and
// "veltrix --report-from RECORDING --statistics --out FILE": a recording
// played into a windowless document, and what it showed written as CSV.
//
// The trend is one row a record, written as the recording plays (nothing
// of it is kept): under EN61000-3-2 harmonic order ORDER's (2 to 40)
// average, maximum and limit, one row a harmonics record; under EN61000-3-3
// (or with ORDER "flicker") the Pst intervals, Plt, d(max), d(t), d(c) and
// their limits, one row a voltage-variation and flicker record. The
// statistics are one row an order.
//
// Exit codes as the report's: 0 done, 1 a damaged recording (played up to
// the damage; the file is written only when `partial` asks for what is
// whole) or a file that could not be written, 2 nothing to play or a wrong
// request.
int TrendFromRecording(const QString& recordingPath, const QString& order, const QString& outPath,
                       QTextStream& messages, bool partial = false);
int StatisticsFromRecording(const QString& recordingPath, const QString& outPath, QTextStream& messages,
                            bool partial = false);

// The command line's side: -1 when neither --trend nor --statistics was
// given with --report-from, else the exit code.
int AnswerAnalysisRequest(int argc, char** argv);
