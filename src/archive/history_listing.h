#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>

#include "archive/archive_entry.h"

// The archive's tests as the command line lists them, newest first as
// given, each file's state checked now.
enum class HistoryFormat { Text, Csv, Json };

// Text: a heading and a row a test in aligned columns. CSV: a heading row,
// then a row a test. JSON: an array of objects, files included with their
// SHA-256 and state. Each ends with a line end.
QByteArray HistoryListing(const QList<ArchiveEntry>& entries, HistoryFormat format);

// One test as a JSON object (files with role, path, sha256, size, state).
QJsonObject EntryJson(const ArchiveEntry& entry);

// A field of a CSV row, quoted when it holds a comma, a quote or a line end.
QString CsvField(const QString& text);
