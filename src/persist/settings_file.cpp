#include "persist/settings_file.h"

#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

#include <cmath>

#include "link/decimal_text.h"
#include "persist/safe_file_writer.h"
#include "persist/text_line_reader.h"

QColor PrinterFontColour(qint32 number) {
  if (number < 0 || number > 0xFFFFFF) return QColor(Qt::black);
  return QColor(number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
}

qint32 PrinterFontColourNumber(const QColor& colour) {
  const QRgb rgb = colour.rgb();
  return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

QString ArchiveServer::Address() const {
  if (!IsSet()) return {};
  QUrl url;
  url.setScheme(QStringLiteral("postgresql"));
  url.setHost(host);
  url.setPort(port);
  url.setUserName(user);
  url.setPath(QLatin1Char('/') + database);
  return url.toString(QUrl::FullyEncoded);
}

std::optional<ArchiveServer> ArchiveServer::FromAddress(const QString& text) {
  if (text.isEmpty()) return ArchiveServer{};
  const QUrl url(text, QUrl::StrictMode);
  if (!url.isValid() || url.scheme() != QLatin1String("postgresql") || url.host().isEmpty() || !url.password().isEmpty())
    return std::nullopt;
  ArchiveServer server;
  server.host = url.host();
  server.port = url.port(kDefaultPort);
  server.user = url.userName();
  server.database = url.path().mid(1);
  if (server.database.isEmpty() || server.database.contains(QLatin1Char('/'))) return std::nullopt;
  return server;
}

QString SettingsSavedTimeText(const QDateTime& savedAt) {
  return QLocale(QLocale::English).toString(savedAt, QStringLiteral("dd MMMM yyyy hh:mm"));
}

QStringList SettingsLines(const ProgramSettings& settings, const QDateTime& savedAt) {
  return {
      QString::fromLatin1(kSettingsVersionText) + QStringLiteral(";    Software Version"),
      QString(),
      SettingsSavedTimeText(savedAt) + QStringLiteral(";    Date & Time Saved"),
      QString::number(settings.ComPortNumber) + QStringLiteral(";    Com Port"),
      QString::number(settings.PrinterFont.Size),
      QString::number(settings.PrinterFont.Colour),
      settings.PrinterFont.Name,
      QString::number(settings.ReportCounter),
      QString::number(settings.RecordingsLimitMB) + QStringLiteral(";    Recordings MB"),
      settings.LabServer.Address() + QStringLiteral(";    Archive Server"),
  };
}

bool SaveSettingsFile(const QString& path, const ProgramSettings& settings, const QDateTime& savedAt) {
  return SaveTextLines(path, SettingsLines(settings, savedAt));
}

std::optional<int> ParsePortLine(const QString& line) {
  const QString fields = line.trimmed() + QLatin1Char(';');
  const QString first = fields.section(QRegularExpression(QStringLiteral("[;,]")), 0, 0);
  const double value = ParseDecimal(first).value_or(0.0);
  const double rounded = std::nearbyint(value);  // halves to even
  if (rounded < 0.0 || rounded > 255.0) return std::nullopt;
  return static_cast<int>(rounded);
}

SettingsRead ReadSettingsFile(const QString& path) {
  SettingsRead read;
  TextLineReader reader(path);
  // Lines 1 to 3 are only a record of the version and the time of saving.
  std::optional<QString> line;
  for (int number = 1; number <= 4; ++number) {
    line = reader.NextLine();
    if (!line) return read;
  }
  const std::optional<int> port = ParsePortLine(*line);
  if (!port) return read;
  read.ComPortNumber = static_cast<quint8>(*port);

  ProgramSettings settings;
  settings.ComPortNumber = static_cast<quint8>(*port);
  line = reader.NextLine();
  const std::optional<int> size = line ? ParseWholeNumber(*line) : std::nullopt;
  if (!size) return read;
  settings.PrinterFont.Size = static_cast<quint16>(*size);  // the low 16 bits, without sign
  // A size the layout was not made for (a hand edit; -1 reads as 65535)
  // gives the default, as a size below the range always did.
  if (settings.PrinterFont.Size < PrinterFontValues::kMinSize || settings.PrinterFont.Size > PrinterFontValues::kMaxSize)
    settings.PrinterFont.Size = PrinterFontValues{}.Size;

  line = reader.NextLine();
  const std::optional<int> colour = line ? ParseWholeNumber(*line) : std::nullopt;
  if (!colour) return read;
  settings.PrinterFont.Colour = *colour;

  line = reader.NextLine();
  if (!line) return read;
  settings.PrinterFont.Name = *line;

  line = reader.NextLine();
  const std::optional<int> counter = line ? ParseWholeNumber(*line) : std::nullopt;
  if (!counter) return read;
  settings.ReportCounter = *counter;

  // Missing in older files; a size out of range is a hand edit: the default.
  line = reader.NextLine();
  const std::optional<int> limit = line ? ParseWholeNumber(line->section(QLatin1Char(';'), 0, 0).trimmed()) : std::nullopt;
  if (limit && *limit >= ProgramSettings::kMinRecordingsLimit && *limit <= ProgramSettings::kMaxRecordingsLimit) {
    settings.RecordingsLimitMB = *limit;
  }
  // Missing in older files; a text that is no server's address is a hand
  // edit: none.
  line = reader.NextLine();
  if (line) settings.LabServer = ArchiveServer::FromAddress(line->section(QLatin1Char(';'), 0, 0).trimmed()).value_or(ArchiveServer{});

  read.Settings = settings;
  return read;
}

std::optional<int> ReadSettingsPort(const QString& path) {
  const std::optional<quint8> port = ReadSettingsFile(path).ComPortNumber;
  if (!port) return std::nullopt;
  return *port;
}

std::optional<quint8> ParsePortAnswer(const QString& answer) {
  const std::optional<int> number = ParseWholeNumber(answer);
  if (!number || *number < 1 || *number > 255) return std::nullopt;
  return static_cast<quint8>(*number);
}

TestSetupValues SetupDefaults() {
  TestSetupValues values;  // the design-time values, where the defaults differ:
  values.Edit5 = QStringLiteral("0.75");  // the PF rating's text, not the design-time "40.2"
  values.Edit7 = QStringLiteral("600");
  values.Edit14 = QStringLiteral("16.0");
  return values;
}
