// The settings file's port line and the working folder's name matching.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "persist/settings_file.h"
#include "persist/working_folder.h"

class TestSettingsFile : public QObject {
  Q_OBJECT

 private slots:
  void portLine_data();
  void portLine();
  void readFromFile();
  void namesMatchWithoutLetterCase();
};

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

void TestSettingsFile::readFromFile() {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("QX7300.ini"));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("1.14 2nd September 2007;    Software Version\r\n\r\n07 December 2026 14:05;    Date & Time Saved\r\n"
             "3;    Com Port\r\n8\r\n0\r\nCourier\r\n41\r\n");
  file.close();
  QCOMPARE(ReadSettingsPort(path), std::optional<int>(3));
  QVERIFY(!ReadSettingsPort(folder.filePath(QStringLiteral("missing.ini"))).has_value());
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write("1.14\r\n\r\n");
  file.close();
  QVERIFY(!ReadSettingsPort(path).has_value());
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
  QDir::setCurrent(previous);
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
