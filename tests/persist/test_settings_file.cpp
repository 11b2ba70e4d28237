// The settings file: its exact bytes, the port line, reading it back or
// falling back to the defaults, and the working folder's name matching.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include "persist/settings_file.h"
#include "persist/working_folder.h"

class TestSettingsFile : public QObject {
  Q_OBJECT

 private slots:
  void portLine_data();
  void portLine();
  void exactBytes();
  void readSettings_data();
  void readSettings();
  void namesMatchWithoutLetterCase();
};

namespace {

const QByteArray kSavedFile =
    "1.14 2nd September 2007;    Software Version\r\n\r\n07 December 2026 14:05;    Date & Time Saved\r\n"
    "3;    Com Port\r\n8\r\n0\r\nCourier New\r\n-41\r\n350;    Recordings MB\r\n"
    "postgresql://station%201@lab-db.example:5433/veltrix;    Archive Server\r\n";
const QString kSavedServer = QStringLiteral("postgresql://station%201@lab-db.example:5433/veltrix");

const ProgramSettings kSavedSettings{
    3, {QStringLiteral("Courier New"), 8, 0}, -41, 350, {"lab-db.example", 5433, "veltrix", "station 1"}};

// kSavedFile with line `line` (1-based) replaced by `text`, or cut before it
// when `text` is null.
QByteArray SavedFileWith(int line, const QByteArray& text) {
  QList<QByteArray> lines = kSavedFile.split('\n');
  if (text.isNull()) return lines.mid(0, line - 1).join('\n') + '\n';
  lines[line - 1] = text + '\r';
  return lines.join('\n');
}

}  // namespace

void TestSettingsFile::portLine_data() {
  QTest::addColumn<QString>("line");
  QTest::addColumn<int>("port");  // -1: read failure
  QTest::newRow("as written") << "3;    Com Port" << 3;
  QTest::newRow("comma after the number") << "7,   Com Port" << 7;
  QTest::newRow("half rounds to even, down") << "2.5;    Com Port" << 2;
  QTest::newRow("half rounds to even, up") << "3.5;    Com Port" << 4;
  QTest::newRow("blanks around") << "   12   ;" << 12;
  QTest::newRow("not a number counts as 0") << "COM3;    Com Port" << 0;
  QTest::newRow("empty line") << "" << 0;
  QTest::newRow("largest") << "255;" << 255;
  QTest::newRow("too large") << "256;    Com Port" << -1;
  QTest::newRow("negative") << "-1;    Com Port" << -1;
}

void TestSettingsFile::portLine() {
  QFETCH(QString, line);
  QFETCH(int, port);
  const std::optional<int> parsed = ParsePortLine(line);
  QCOMPARE(parsed.has_value(), port >= 0);
  if (parsed) QCOMPARE(*parsed, port);
}

void TestSettingsFile::exactBytes() {
  // Month names are English whatever the locale says.
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  QTemporaryDir folder;
  const QString path = folder.filePath(QString::fromLatin1(kSettingsFileName));
  const bool saved = SaveSettingsFile(path, kSavedSettings, QDateTime(QDate(2026, 12, 7), QTime(14, 5, 59)));
  QLocale::setDefault(previous);
  QVERIFY(saved);
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll(), kSavedFile);
  const SettingsRead read = ReadSettingsFile(path);
  QVERIFY(read.Settings.has_value());
  QCOMPARE(*read.Settings, kSavedSettings);
}

void TestSettingsFile::readSettings_data() {
  QTest::addColumn<QByteArray>("content");  // empty: no file at all
  QTest::addColumn<int>("port");            // -1: no port taken
  QTest::addColumn<int>("fontSize");        // -1: the defaults procedure runs
  QTest::addColumn<int>("recordingsLimit");
  QTest::addColumn<QString>("server");  // as its address
  QTest::newRow("missing file") << QByteArray() << -1 << -1 << 350 << kSavedServer;
  QTest::newRow("port not a number counts as 0")
      << SavedFileWith(4, "COM3;    Com Port") << 0 << 8 << 350 << kSavedServer;
  QTest::newRow("port 256") << SavedFileWith(4, "256;    Com Port") << -1 << -1 << 350 << kSavedServer;
  QTest::newRow("font size 4 becomes 8") << SavedFileWith(5, "4") << 3 << 8 << 350 << kSavedServer;
  QTest::newRow("font size 6 stays") << SavedFileWith(5, "6") << 3 << 6 << 350 << kSavedServer;
  QTest::newRow("font size, low 16 bits") << SavedFileWith(5, "65546") << 3 << 10 << 350 << kSavedServer;
  QTest::newRow("font size -1 becomes 8") << SavedFileWith(5, "-1") << 3 << 8 << 350 << kSavedServer;
  QTest::newRow("font size 11 becomes 8") << SavedFileWith(5, "11") << 3 << 8 << 350 << kSavedServer;
  QTest::newRow("colour not a number") << SavedFileWith(6, "black") << 3 << -1 << 350 << kSavedServer;
  QTest::newRow("counter missing") << SavedFileWith(8, QByteArray()) << 3 << -1 << 350 << kSavedServer;
  QTest::newRow("eight lines, from before the recordings' size")
      << SavedFileWith(9, QByteArray()) << 3 << 8 << 2000 << "";
  QTest::newRow("recordings' size below the least")
      << SavedFileWith(9, "5;    Recordings MB") << 3 << 8 << 2000 << kSavedServer;
  QTest::newRow("recordings' size not a number") << SavedFileWith(9, "lots") << 3 << 8 << 2000 << kSavedServer;
  QTest::newRow("cut before the port") << SavedFileWith(4, QByteArray()) << -1 << -1 << 350 << kSavedServer;
  QTest::newRow("nine lines, from before the server") << SavedFileWith(10, QByteArray()) << 3 << 8 << 350 << "";
  QTest::newRow("no server") << SavedFileWith(10, ";    Archive Server") << 3 << 8 << 350 << "";
  QTest::newRow("default port") << SavedFileWith(10, "postgresql://lab@db/archive;") << 3 << 8 << 350
                                << "postgresql://lab@db:5432/archive";
  QTest::newRow("a password is never taken") << SavedFileWith(10, "postgresql://lab:secret@db/archive;") << 3 << 8
                                             << 350 << "";
  QTest::newRow("not an address") << SavedFileWith(10, "db.example;") << 3 << 8 << 350 << "";
}

void TestSettingsFile::readSettings() {
  QFETCH(QByteArray, content);
  QFETCH(int, port);
  QFETCH(int, fontSize);
  QFETCH(int, recordingsLimit);
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("QX7300.INI"));
  if (!content.isEmpty()) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  const SettingsRead read = ReadSettingsFile(path);
  QCOMPARE(read.ComPortNumber.has_value(), port >= 0);
  if (port >= 0) QCOMPARE(int(*read.ComPortNumber), port);
  QCOMPARE(read.Settings.has_value(), fontSize >= 0);
  if (!read.Settings) return;
  QCOMPARE(int(read.Settings->ComPortNumber), port);
  QCOMPARE(read.Settings->PrinterFont.Size, fontSize);
  QCOMPARE(read.Settings->RecordingsLimitMB, recordingsLimit);
  QFETCH(QString, server);
  QCOMPARE(read.Settings->LabServer.Address(), server);
}

void TestSettingsFile::namesMatchWithoutLetterCase() {
  QTemporaryDir folder;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(folder.path());
  QCOMPARE(WorkingFolderPath(QStringLiteral("Startup.hac")), QDir::current().filePath(QStringLiteral("Startup.hac")));
  QFile existing(QStringLiteral("startup.HAC"));
  QVERIFY(existing.open(QIODevice::WriteOnly));
  existing.close();
  QCOMPARE(WorkingFolderPath(QStringLiteral("Startup.hac")), QDir::current().filePath(QStringLiteral("startup.HAC")));
  // With both spellings on disk, both names still find one file.
  QVERIFY(existing.copy(QStringLiteral("Startup.hac")));
  QCOMPARE(WorkingFolderPath(QStringLiteral("startup.HAC")), WorkingFolderPath(QStringLiteral("Startup.hac")));
  QDir::setCurrent(previous);
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
