#pragma once

#include <QString>
#include <QStringList>

// The working folder's recordings/: one file per test, named after its
// start, so that names sort oldest first. It is kept within a size the
// operator sets. A recording saved beside a report is a copy elsewhere, or
// in recordings/ under the report's name: it is never counted nor removed,
// nor is any file not named as the program names its recordings.
inline constexpr char kRecordingsFolderName[] = "recordings";

// The bytes its recordings take.
qint64 RecordingsFolderUse(const QString& folder);

// Removes the oldest recordings until the rest take at most `limitBytes`;
// the recordings named in `keep` (the test in hand's) stay whatever their
// age. The names removed.
QStringList PruneRecordings(const QString& folder, qint64 limitBytes, const QStringList& keep);
