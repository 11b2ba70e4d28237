#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Saved text reports of a folder (*.TXT, with the set-up and the recording
// saved beside each) filed into the archive. A report whose bytes are
// filed already (the same SHA-256) is skipped; one whose text is not a
// report is named with the reason.
struct ImportSummary {
  int imported = 0;
  int skipped = 0;
  QStringList unreadable;  // "NAME: why"
  QString error;           // the archive failed: the import stopped there

  // "3 reports imported, 1 skipped (already in the archive), 1 unreadable:"
  // and a line for each unreadable one.
  QString Text() const;
};

ImportSummary ImportReports(QSqlDatabase& db, const QString& folder, const QString& station);
