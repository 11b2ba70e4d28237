#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// One file of an archived test: where it was saved, and what it held when
// it was filed (its SHA-256 in lower-case hex, and its size). A lab's server
// also keeps the bytes themselves, so that it needs no shared folder.
struct ArchiveFile {
  // "text", "csv" or "pdf" for the report's forms, "setup" for the set-up
  // beside it, "recording" for the test's recording.
  QString role;
  QString path;  // absolute, as saved
  QByteArray sha256;
  qint64 size = 0;
  QByteArray bytes;  // empty unless the archive keeps the contents
};

// One test in the archive, from the test document's values.
struct ArchiveEntry {
  qint64 id = 0;       // the archive's own number; 0 until filed
  QString uid;         // the test's identity, the same on every archive it reaches
  QString station;     // the station that filed it (its host name)
  quint32 reportNumber = 0;
  QDateTime testedAt;  // when the test started, with the station's offset from UTC
  qint64 durationSeconds = 0;
  QString equipment;
  QString serialNumber;
  QString testedBy;
  QString standard;        // "EN61000-3-2" or "EN61000-3-3"
  QString classOrOptions;  // "Class A" .. "Class D"; the flicker options
  QString verdict;         // "PASS", "FAIL", or empty when the test gave none
  QStringList failures;    // what failed ("Harmonic 5", "Pst", "d(max)", ...)
  QString reportText;      // the text report, for free-text search
  QList<ArchiveFile> files;
};
