#pragma once

#include <QString>
#include <QStringList>

#include "archive/archive_entry.h"

class TestDocument;
struct TestSetupValues;

// The archive's entry of the test the document's report describes, from
// its values: the set-up the test started with, its identity, start,
// report number, verdicts and the report's text. Files, id and station are
// left to the caller.
ArchiveEntry EntryFromDocument(const TestDocument& document);

// "EN61000-3-2" or "EN61000-3-3", as the set-up's measurement says.
QString StandardOf(const TestSetupValues& setup);
// The harmonics test's class ("Class A" .. "Class D", ", Professional"), or
// the flicker test's options ("Voltage Fluctuations, Flicker, Plt 2 h,
// Manual Switching", those chosen).
QString ClassOrOptionsOf(const TestSetupValues& setup);
// The test's length in seconds as its set-up gives it; 0 when unreadable.
qint64 DurationOf(const TestSetupValues& setup);

// The flicker result a summary line of the report or of the window judges
// ("d(max)", "d(t)", "d(c)", "Pst", "Plt"); empty for any other line.
QString FlickerQuantityOf(const QString& line);
// A flicker summary line's verdict taken into the entry: a failed quantity
// joins its failures and sets `failed`; a passed one sets `passed`.
void TakeFlickerVerdict(const QString& line, ArchiveEntry& entry, bool& failed, bool& passed);

// The overall verdict of a list of line verdicts: FAIL when any failed,
// else PASS when any passed, else none (empty).
QString OverallVerdict(bool anyFailed, bool anyPassed);
