#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "archive/archive_entry.h"

// The files of the chosen tests copied into a folder, a subfolder a test
// ("test-<id>"), with manifest.json beside them: each test's fields and,
// for each of its files, the name of its copy, its SHA-256 as filed and
// its state now. Nothing there is overwritten: a name taken already gets
// " (2)", " (3)" ... before its extension. A file moved or removed since
// it was filed is named in the manifest and left out.
struct HistoryExport {
  int copied = 0;
  QStringList problems;  // files not exported, with why
  QString manifest;      // the manifest's path; empty when it could not be written
};

HistoryExport ExportHistory(const QList<ArchiveEntry>& entries, const QString& folder);

// `path`, or the first of "name (2).ext", "name (3).ext" ... that is free.
QString FreePath(const QString& path);
