#include "app/history_command.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSysInfo>

#include <cstdio>
#include <cstring>
#include <optional>

#include "archive/archive_database.h"
#include "archive/archive_store.h"
#include "archive/history_export.h"
#include "archive/history_listing.h"
#include "archive/report_import.h"

namespace {

constexpr const char* kUsage =
    "Usage: veltrix --history [--equipment TEXT] [--serial TEXT] [--since YYYY-MM-DD] [--failed]\n"
    "                         [--format text|csv|json]\n"
    "       veltrix --history-export FOLDER [--equipment TEXT] [--serial TEXT] [--since YYYY-MM-DD] [--failed]\n"
    "       veltrix --import-history FOLDER\n";

enum class Action { None, List, Export, Import };

struct Request {
  Action action = Action::None;
  QString folder;
  ArchiveQuery query;
  HistoryFormat format = HistoryFormat::Text;
  bool formatGiven = false;
};

void Say(const QString& text) { std::fputs(text.toLocal8Bit().constData(), stderr); }

int Usage(const QString& why) {
  Say(QStringLiteral("veltrix: %1\n").arg(why));
  std::fputs(kUsage, stderr);
  return 2;
}

// The request, or the exit code of a usage error.
std::optional<Request> Parse(int argc, char** argv, int* code) {
  Request request;
  const auto fail = [code](const QString& why) {
    *code = Usage(why);
    return std::nullopt;
  };
  const auto setAction = [&request](Action action) {
    if (request.action != Action::None) return false;
    request.action = action;
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    const QString option = QString::fromLocal8Bit(argv[i]);
    const bool takesValue = option == QLatin1String("--history-export") || option == QLatin1String("--import-history") ||
                            option == QLatin1String("--equipment") || option == QLatin1String("--serial") ||
                            option == QLatin1String("--since") || option == QLatin1String("--format");
    QString value;
    if (takesValue) {
      if (i + 1 >= argc) return fail(option + QStringLiteral(" needs a value"));
      value = QString::fromLocal8Bit(argv[++i]);
    }
    if (option == QLatin1String("--history")) {
      if (!setAction(Action::List)) return fail(QStringLiteral("one of --history, --history-export, --import-history"));
    } else if (option == QLatin1String("--history-export")) {
      if (!setAction(Action::Export)) return fail(QStringLiteral("one of --history, --history-export, --import-history"));
      request.folder = value;
    } else if (option == QLatin1String("--import-history")) {
      if (!setAction(Action::Import)) return fail(QStringLiteral("one of --history, --history-export, --import-history"));
      request.folder = value;
    } else if (option == QLatin1String("--equipment")) {
      request.query.equipment = value;
    } else if (option == QLatin1String("--serial")) {
      request.query.serialNumber = value;
    } else if (option == QLatin1String("--since")) {
      request.query.since = QDate::fromString(value, Qt::ISODate);
      if (!request.query.since.isValid()) return fail(QStringLiteral("--since takes a date as 2026-12-09, not %1").arg(value));
    } else if (option == QLatin1String("--failed")) {
      request.query.verdict = QStringLiteral("FAIL");
    } else if (option == QLatin1String("--format")) {
      request.formatGiven = true;
      if (value == QLatin1String("text")) request.format = HistoryFormat::Text;
      else if (value == QLatin1String("csv")) request.format = HistoryFormat::Csv;
      else if (value == QLatin1String("json")) request.format = HistoryFormat::Json;
      else return fail(QStringLiteral("--format is text, csv or json, not %1").arg(value));
    } else {
      return fail(QStringLiteral("unknown option %1").arg(option));
    }
  }
  if (request.formatGiven && request.action != Action::List) return fail(QStringLiteral("--format goes with --history"));
  const bool filtered = !request.query.equipment.isEmpty() || !request.query.serialNumber.isEmpty() ||
                        request.query.since.isValid() || !request.query.verdict.isEmpty();
  if (filtered && request.action == Action::Import)
    return fail(QStringLiteral("--import-history takes no filters"));
  return request;
}

bool Asked(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"--history", "--history-export", "--import-history"}) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
  }
  return false;
}

int Run(const Request& request) {
  const QString path = QDir::current().absoluteFilePath(QString::fromLatin1(kStationArchiveName));
  // Listing and export read an archive; where there is none yet, there is
  // nothing to list (and none is made).
  const bool reads = request.action != Action::Import;
  QList<ArchiveEntry> entries;
  if (request.action == Action::Import && !QFileInfo(request.folder).isDir()) {
    Say(QStringLiteral("veltrix: %1 is not a folder\n").arg(request.folder));
    return 1;
  }
  const QString connection = QStringLiteral("history-command");
  int code = 0;
  {
    QString error;
    QSqlDatabase db;
    if (!reads || QFileInfo::exists(path)) {
      db = OpenStationArchive(path, connection, &error);
      if (!db.isOpen()) {
        Say(QStringLiteral("veltrix: the archive cannot be opened: %1\n").arg(error));
        code = 1;
      }
    }
    if (code == 0 && request.action == Action::Import) {
      const ImportSummary summary = ImportReports(db, request.folder, QSysInfo::machineHostName());
      std::fputs((summary.Text() + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
      code = summary.error.isEmpty() && summary.unreadable.isEmpty() ? 0 : 1;
    } else if (code == 0) {
      if (db.isOpen()) entries = ListEntries(db, request.query, &error);
      if (!error.isEmpty()) {
        Say(QStringLiteral("veltrix: the archive cannot be read: %1\n").arg(error));
        code = 1;
      } else if (request.action == Action::List) {
        const QByteArray listing = HistoryListing(entries, request.format);
        std::fwrite(listing.constData(), 1, static_cast<size_t>(listing.size()), stdout);
      } else {
        const HistoryExport exported = ExportHistory(entries, request.folder);
        for (const QString& problem : exported.problems) Say(QStringLiteral("veltrix: not exported: %1\n").arg(problem));
        std::printf("%d test%s, %d file%s exported; manifest %s\n", static_cast<int>(entries.size()),
                    entries.size() == 1 ? "" : "s", exported.copied, exported.copied == 1 ? "" : "s",
                    exported.manifest.isEmpty() ? "not written" : qPrintable(QDir::toNativeSeparators(exported.manifest)));
        code = exported.problems.isEmpty() ? 0 : 1;
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(connection);
  return code;
}

}  // namespace

int AnswerHistoryRequest(int argc, char** argv) {
  if (!Asked(argc, argv)) return -1;
  int code = 0;
  const std::optional<Request> request = Parse(argc, argv, &code);
  if (!request) return code;
  QCoreApplication application(argc, argv);
  return Run(*request);
}
