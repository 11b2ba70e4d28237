#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// A test's recording: what crossed the wire in both directions, with times,
// and what the operator did and set, so that the window's state (displays
// and report) can be rebuilt from it.
//
// On disk the stream is gzip-compressed; it may be several gzip members one
// after another (a recording is appended to, and closed, in pieces). The
// uncompressed stream is the magic line kRecordingMagic followed by
// entries, each: kind (one byte), milliseconds since the recording began
// (unsigned 32-bit, little-endian), payload length (unsigned 32-bit,
// little-endian), payload.
//
// The magic line names the version of the format. Version 2, the one
// written: received lines without their LF, states in UTF-8. Version 1
// (still read): each received line with its LF, states in Latin-1. A reader
// that meets a later version refuses it as made by a newer Veltrix.
inline constexpr int kRecordingVersion = 2;
inline constexpr char kRecordingMagic[] = "QX7300 Recording 2\n";
// The magic lines of versions 1 and 2 are equally long: the entries of
// either begin here.
inline constexpr qsizetype kRecordingMagicLength = sizeof kRecordingMagic - 1;
inline constexpr char kRecordingExtension[] = "qxr";

enum class EntryKind : char {
  Begin = 'B',     // payload: the wall-clock start, "yyyy-MM-ddTHH:mm:ss.zzz" (local)
  State = 'S',     // payload: RecordedState text (recorded_state.h)
  Received = 'R',  // payload: one line from the analyser, without its LF
  Sent = 'T',      // payload: one command as sent
  Action = 'A',    // payload: an operator action (kAction...)
  End = 'E',       // payload: empty; the recording was closed in order
};

// The operator actions a replay repeats.
inline constexpr char kActionStart[] = "start-or-abort";
inline constexpr char kActionNewTest[] = "new-test";
inline constexpr char kActionFreeRun[] = "free-run";
inline constexpr char kActionRangeUp[] = "range-up";
inline constexpr char kActionRangeDown[] = "range-down";
inline constexpr char kActionToggleLock[] = "toggle-lock";
// Moments a replay cannot tell from the lines: the operator's change of
// standard (also to the same one), the report built once the records of a
// new range or standard have come in, and the beginning and
// end of a whole set-up put on the panels by the program (defaults, a
// recalled report's), whose change of standard keeps the test in hand.
// Readers that do not know an action pass over it.
inline constexpr char kActionRangeSettled[] = "range-settled";
inline constexpr char kActionStandardChanged[] = "standard-changed";
inline constexpr char kActionStandardSettled[] = "standard-settled";
inline constexpr char kActionSetUpLoading[] = "set-up-loading";
inline constexpr char kActionSetUpLoaded[] = "set-up-loaded";

struct RecordingEntry {
  EntryKind Kind = EntryKind::Received;
  quint32 Milliseconds = 0;
  QByteArray Payload;
};

// The bytes of one entry in the uncompressed stream.
QByteArray EncodeEntry(const RecordingEntry& entry);

// The version the uncompressed stream's magic line names, read from its
// first bytes ("QX7300 Recording <n>" and a LF): 1 or 2 for the versions
// read here, the number itself for a later one (greater than
// kRecordingVersion: made by a newer Veltrix), 0 when the bytes are no
// recording's start or too few to tell.
int RecordingVersionOf(const QByteArray& streamStart);

// Makes an entry read from a recording of `version` (1 or 2) read as one of
// the current version: a version-1 received line loses its LF, a version-1
// state is turned from Latin-1 into UTF-8. Entries of version 2 stay as
// they are.
void UpgradeEntry(int version, RecordingEntry& entry);

// What a recording holds, and what was wrong with it when it was not whole:
// the entries up to the damage are kept.
struct RecordingContents {
  QDateTime Start;  // from the Begin entry
  QList<RecordingEntry> Entries;
  QString Problem;  // empty: whole
  bool Ended = false;  // closed in order (an End entry)
};

// Reads the uncompressed stream, of any version read here; the entries come
// out as the current version has them (UpgradeEntry).
RecordingContents DecodeRecording(const QByteArray& stream);
// The uncompressed stream as a file holds it: one whole gzip member.
QByteArray GzipMember(const QByteArray& stream);

// A recording file read whole: its Problem names the file and says what is
// wrong (missing, not a recording, cut short, corrupted).
RecordingContents ReadRecordingFile(const QString& path);

// The same from bytes in memory (what the fuzz target feeds).
RecordingContents ReadRecordingBytes(const QByteArray& compressed);

// The recording kept beside a report: the report's name with the extension
// kRecordingExtension in place of its own (RUN7.TXT -> RUN7.qxr), found
// whatever the letter case.
QString RecordingPathForReport(const QString& reportPath);
