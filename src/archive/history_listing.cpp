#include "archive/history_listing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>

#include "archive/archive_files.h"

namespace {

QString LocalTime(const ArchiveEntry& entry) { return entry.testedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

// "3 unchanged", or what is not: "1 moved or removed, 2 unchanged".
QString FilesText(const ArchiveEntry& entry) {
  int same = 0;
  QStringList other;
  for (const ArchiveFile& file : entry.files) {
    const FileState state = CheckArchivedFile(file);
    if (state == FileState::Same) {
      ++same;
    } else {
      other << file.role + QLatin1Char(' ') + FileStateText(state);
    }
  }
  if (same > 0) other << QStringLiteral("%1 unchanged").arg(same);
  return other.isEmpty() ? QStringLiteral("none") : other.join(QStringLiteral(", "));
}

QStringList Row(const ArchiveEntry& entry) {
  return {LocalTime(entry),         QString::number(entry.reportNumber), entry.equipment, entry.serialNumber,
          entry.testedBy,           entry.standard,                      entry.classOrOptions,
          entry.verdict.isEmpty() ? QStringLiteral("-") : entry.verdict,
          entry.failures.join(QStringLiteral(", ")), FilesText(entry)};
}

const QStringList kHeading{"Tested at", "Report", "Equipment", "Serial number", "Tested by",
                           "Standard",  "Class or options", "Verdict", "Failed", "Files"};

QByteArray Text(const QList<ArchiveEntry>& entries) {
  QList<QStringList> rows{kHeading};
  for (const ArchiveEntry& entry : entries) rows << Row(entry);
  QList<qsizetype> widths(kHeading.size(), 0);
  for (const QStringList& row : rows) {
    for (qsizetype i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  QString text;
  for (const QStringList& row : rows) {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i) line += (i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i]);
    text += line.trimmed() + QLatin1Char('\n');
  }
  return text.toUtf8();
}

QByteArray Csv(const QList<ArchiveEntry>& entries) {
  QString text = QStringLiteral(
      "id,uid,station,report_number,tested_at,duration_s,equipment,serial_number,tested_by,standard,"
      "class_or_options,verdict,failures,files\n");
  for (const ArchiveEntry& entry : entries) {
    QStringList files;
    for (const ArchiveFile& file : entry.files)
      files << QStringLiteral("%1=%2 (%3)").arg(file.role, file.path, FileStateText(CheckArchivedFile(file)));
    const QStringList fields{QString::number(entry.id), entry.uid, entry.station, QString::number(entry.reportNumber),
                             entry.testedAt.toString(Qt::ISODate), QString::number(entry.durationSeconds),
                             entry.equipment, entry.serialNumber, entry.testedBy, entry.standard,
                             entry.classOrOptions, entry.verdict, entry.failures.join(QStringLiteral("; ")),
                             files.join(QStringLiteral("; "))};
    QStringList quoted;
    for (const QString& field : fields) quoted << CsvField(field);
    text += quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
  }
  return text.toUtf8();
}

}  // namespace

QString CsvField(const QString& text) {
  if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
      !text.contains(QLatin1Char('\r')))
    return text;
  QString quoted = text;
  quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QJsonObject EntryJson(const ArchiveEntry& entry) {
  QJsonArray files;
  for (const ArchiveFile& file : entry.files) {
    files.append(QJsonObject{{"role", file.role},
                             {"path", file.path},
                             {"sha256", QString::fromLatin1(file.sha256)},
                             {"size", file.size},
                             {"state", FileStateText(CheckArchivedFile(file))}});
  }
  return QJsonObject{{"id", entry.id},
                     {"uid", entry.uid},
                     {"station", entry.station},
                     {"report_number", static_cast<qint64>(entry.reportNumber)},
                     {"tested_at", entry.testedAt.toString(Qt::ISODate)},
                     {"duration_s", entry.durationSeconds},
                     {"equipment", entry.equipment},
                     {"serial_number", entry.serialNumber},
                     {"tested_by", entry.testedBy},
                     {"standard", entry.standard},
                     {"class_or_options", entry.classOrOptions},
                     {"verdict", entry.verdict},
                     {"failures", QJsonArray::fromStringList(entry.failures)},
                     {"files", files}};
}

QByteArray HistoryListing(const QList<ArchiveEntry>& entries, HistoryFormat format) {
  switch (format) {
    case HistoryFormat::Text: return Text(entries);
    case HistoryFormat::Csv: return Csv(entries);
    case HistoryFormat::Json: {
      QJsonArray array;
      for (const ArchiveEntry& entry : entries) array.append(EntryJson(entry));
      return QJsonDocument(array).toJson(QJsonDocument::Indented);
    }
  }
  return {};
}
