#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

#include "persist/configuration_file.h"

// The settings file of the working folder: eight lines holding the serial
// port, the printer font and the report counter, with the program version
// and the time of saving, then the size recordings/ is kept within and the
// lab's archive server. A file of eight lines (from before the ninth) reads
// with the default size, one of nine with no server.
inline constexpr const char* kSettingsFileName = "QX7300.ini";
inline constexpr const char* kSettingsVersionText = "1.14 2nd September 2007";
inline constexpr const char* kSettingsWriteError = "INI File Write Error";
inline constexpr const char* kSettingsDefaultsLoaded = "INI File Error. Defaults Loaded";
inline constexpr const char* kPortPromptCaption = "Communication Port Required";
inline constexpr const char* kPortPromptText = "Enter Com Port Number : ";
inline constexpr const char* kPortPromptProposal = "1";

// The printer font as the settings file keeps it. The initialisers are the
// font the defaults procedure sets: Courier, 8 points, black.
struct PrinterFontValues {
  // The sizes the report layout is made for, the only ones offered and kept.
  static constexpr int kMinSize = 6;
  static constexpr int kMaxSize = 10;
  QString Name = QStringLiteral("Courier");
  int Size = 8;      // points, kMinSize to kMaxSize
  qint32 Colour = 0; // colour number, see PrinterFontColour
  bool operator==(const PrinterFontValues&) const = default;
};

// A lab's archive server: kept in the settings file as
// "postgresql://user@host:port/database", never with a password.
struct ArchiveServer {
  static constexpr int kDefaultPort = 5432;
  QString host;  // empty: the station files into its own archive only
  int port = kDefaultPort;
  QString database;
  QString user;

  bool IsSet() const { return !host.isEmpty(); }
  // "postgresql://user@host:port/database", empty when not set.
  QString Address() const;
  // From Address()'s form; nullopt for a text that is not one (an empty
  // text is no server).
  static std::optional<ArchiveServer> FromAddress(const QString& text);
  bool operator==(const ArchiveServer&) const = default;
};

struct ProgramSettings {
  // The bound of recordings/, in MB (10^6 bytes).
  static constexpr int kMinRecordingsLimit = 10;
  static constexpr int kMaxRecordingsLimit = 1'000'000;
  static constexpr int kDefaultRecordingsLimit = 2000;
  quint8 ComPortNumber = 0;  // 0: not chosen
  PrinterFontValues PrinterFont;
  qint32 ReportCounter = 0;
  qint32 RecordingsLimitMB = kDefaultRecordingsLimit;
  ArchiveServer LabServer{};
  bool operator==(const ProgramSettings&) const = default;
};

// The colour number of the file: 0x00BBGGRR, so 0 is black. Numbers with
// any of the top eight bits set (the system colours of older files, such as
// the window-text colour) are taken as black.
QColor PrinterFontColour(qint32 number);
qint32 PrinterFontColourNumber(const QColor& colour);

// "dd mmmm yyyy hh:mm" with English month names whatever the locale,
// e.g. "07 December 2026 14:05".
QString SettingsSavedTimeText(const QDateTime& savedAt);

// The ten lines of the file.
QStringList SettingsLines(const ProgramSettings& settings, const QDateTime& savedAt);

// Writes the file, replacing any file of that name; false on any failure
// (the window then shows kSettingsWriteError), the previous file kept.
bool SaveSettingsFile(const QString& path, const ProgramSettings& settings, const QDateTime& savedAt);

// What reading the settings file gives.
struct SettingsRead {
  // Every value of the file; nullopt when the file is missing, ends early or
  // holds a bad line: then the defaults procedure runs.
  std::optional<ProgramSettings> Settings;
  // The port of line 4 whenever that line was good, also when a later line
  // failed: the port is taken before the later lines are read, and stays
  // unless the defaults procedure's prompt replaces it.
  std::optional<quint8> ComPortNumber;
};
SettingsRead ReadSettingsFile(const QString& path);

// Line 4 of the settings file: the serial port number before the first
// ";" or ",", read as a number that may have a fraction and rounded half to
// even. Text that is not a number counts as 0; a result outside 0..255 is a
// read failure (nullopt).
std::optional<int> ParsePortLine(const QString& line);

// The port number kept in a settings file, or nullopt when the file is
// missing, cut short or its port line is bad.
std::optional<int> ReadSettingsPort(const QString& path);

// The answer to the defaults procedure's port prompt: a whole number from
// 1 to 255, else nullopt (the port is then left as it was).
std::optional<quint8> ParsePortAnswer(const QString& answer);

// The set-up the defaults procedure and "Restore Default Settings..." apply,
// in the file's order (ConfigurationItems gives them item by item).
TestSetupValues SetupDefaults();
