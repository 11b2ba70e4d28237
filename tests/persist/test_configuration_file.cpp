// The configuration file: its exact bytes, a whole set-up saved and read
// back, how lines are read and where reading stops, companion names, and
// saves that fail without harming the previous file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include "persist/configuration_file.h"
#include "persist/settings_file.h"
#include "support/test_working_folder.h"

namespace {

const QByteArray kDesignTimeFile =
    "QX7300 Configuration File\r\n\r\n24\r\n3.3\r\n40.2\r\n10\r\n\r\n230\r\n40.2\r\n0.75\r\n"
    "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
    "TRUE\r\nFALSE\r\nFALSE\r\nFALSE\r\nTRUE\r\nFALSE\r\nFALSE\r\nTRUE\r\nFALSE\r\n0\r\n";

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QVariant ValueOf(const ConfigurationItem& item) {
  switch (item.Kind) {
    case ConfigurationValueKind::Text: return item.Text;
    case ConfigurationValueKind::Index: return item.Index;
    case ConfigurationValueKind::Switch: return item.Checked;
  }
  return {};
}

// The design-time file with line `line` (1-based) replaced by `text`.
QByteArray DesignTimeFileWith(int line, const QByteArray& text) {
  QList<QByteArray> lines = kDesignTimeFile.split('\n');
  lines[line - 1] = text + '\r';
  return lines.join('\n');
}

}  // namespace

class TestConfigurationFile : public QObject {
  Q_OBJECT

 private slots:
  void designTimeBytes();
  void wholeSetUpRoundTrip();
  void reading_data();
  void reading();
  void companionPath_data();
  void companionPath();
  void failedSaveKeepsPreviousFile_data();
  void failedSaveKeepsPreviousFile();
};

void TestConfigurationFile::designTimeBytes() {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("design.HAC"));
  QVERIFY(SaveConfiguration(path, TestSetupValues{}));
  QCOMPARE(ReadBytes(path), kDesignTimeFile);
  // The start-up configuration the package gives a new working folder.
  QCOMPARE(ReadBytes(SourceFilePath(QStringLiteral("resources/Startup.hac"))), kDesignTimeFile);
}

void TestConfigurationFile::wholeSetUpRoundTrip() {
  TestSetupValues saved;  // every value away from design time, "Tested by" empty
  int n = 1;
  for (QString* text : {&saved.Edit1, &saved.Edit2, &saved.Edit5, &saved.Edit7, &saved.Edit13, &saved.Edit14, &saved.Edit15})
    *text = QStringLiteral(" %1.5").arg(n++);
  for (int* index : {&saved.RadioGroup1, &saved.RadioGroup2, &saved.RadioGroup5, &saved.RadioGroup11, &saved.ComboBox2,
                     &saved.ComboBox3, &saved.ComboBox4, &saved.ComboBox5, &saved.ComboBox6, &saved.ComboBox7, &saved.ComboBox1})
    *index = n++ % 4 + 1;
  for (bool* checked : {&saved.RadioButton1, &saved.RadioButton2, &saved.CheckBox1, &saved.CheckBox2, &saved.CheckBox3,
                        &saved.CheckBox4, &saved.CheckBox5, &saved.CheckBox6, &saved.CheckBox7})
    *checked = !*checked;
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("set-up.HAC"));
  QVERIFY(SaveConfiguration(path, saved));
  const ConfigurationRead read = ReadConfiguration(path);
  QVERIFY(!read.Failed);
  TestSetupValues loaded;
  loaded.Edit10 = QStringLiteral("someone");
  for (const ConfigurationItem& item : read.Items) ApplyConfigurationItem(item, loaded);
  QCOMPARE(loaded, saved);
}

void TestConfigurationFile::reading_data() {
  QTest::addColumn<QByteArray>("content");  // empty: no file at all
  QTest::addColumn<int>("line");            // the line whose value is checked, 0 none
  QTest::addColumn<QVariant>("value");
  QTest::addColumn<int>("itemsRead");       // fewer than 28: the reading stopped there
  QTest::newRow("Latin-1 text") << DesignTimeFileWith(7, "J\xF6rg") << 7 << QVariant("J\u00F6rg") << 28;
  QTest::newRow("-1 is 255") << DesignTimeFileWith(11, "-1") << 11 << QVariant(255) << 28;
  QTest::newRow("low eight bits") << DesignTimeFileWith(30, "258") << 30 << QVariant(2) << 28;
  QTest::newRow("lower case unchecks") << DesignTimeFileWith(21, "true") << 21 << QVariant(false) << 28;
  QTest::newRow("trailing blank unchecks") << DesignTimeFileWith(25, "TRUE ") << 25 << QVariant(false) << 28;
  QTest::newRow("Manual Switching as saved") << DesignTimeFileWith(22, "TRUE") << 22 << QVariant(true) << 28;
  QTest::newRow("LF endings, last line unended")
      << QByteArray(kDesignTimeFile).replace("\r\n", "\n").chopped(1) << 0 << QVariant() << 28;
  QTest::newRow("missing file") << QByteArray() << 0 << QVariant() << 0;
  QTest::newRow("fraction on an index line") << DesignTimeFileWith(14, "1.5") << 0 << QVariant() << 11;
  QTest::newRow("ends after line 20") << kDesignTimeFile.left(kDesignTimeFile.indexOf("TRUE")) << 0 << QVariant() << 18;
}

void TestConfigurationFile::reading() {
  QFETCH(QByteArray, content);
  QFETCH(int, line);
  QFETCH(QVariant, value);
  QFETCH(int, itemsRead);
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("Edited.HAC"));
  if (!content.isEmpty()) QVERIFY(WriteBytes(path, content));
  const ConfigurationRead read = ReadConfiguration(path);
  QCOMPARE(read.Failed, itemsRead < 28);
  QCOMPARE(read.Items.size(), itemsRead);
  if (line > 0) QCOMPARE(ValueOf(read.Items.at(line - 3)), value);
}

void TestConfigurationFile::companionPath_data() {
  QTest::addColumn<QString>("report");
  QTest::addColumn<QString>("companion");
  QTest::newRow("TXT") << "/home/op/orvane/RUN7.TXT" << "/home/op/orvane/RUN7.HAC";
  QTest::newRow("longer extension") << "RUN7.DATA" << "RUN7.DHAC";
  QTest::newRow("short name stays in its folder") << "/data/ab/X" << "/data/ab/HAC";
  QTest::newRow("report named like its companion") << "run7.hac" << "run7.hac.HAC";
}

void TestConfigurationFile::companionPath() {
  QFETCH(QString, report);
  QFETCH(QString, companion);
  QCOMPARE(CompanionConfigurationPath(report), companion);
}

void TestConfigurationFile::failedSaveKeepsPreviousFile_data() {
  QTest::addColumn<bool>("settingsFile");
  QTest::addColumn<bool>("directoryInTheWay");  // else the disk takes no more than a few bytes
  QTest::newRow("configuration, directory in the way") << false << true;
  QTest::newRow("configuration, write fails part way") << false << false;
  QTest::newRow("settings, directory in the way") << true << true;
  QTest::newRow("settings, write fails part way") << true << false;
}

void TestConfigurationFile::failedSaveKeepsPreviousFile() {
  QFETCH(bool, settingsFile);
  QFETCH(bool, directoryInTheWay);
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("previous"));
  const QByteArray previous = "previous content\r\n";
  if (directoryInTheWay) {
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("previous")));
    QVERIFY(WriteBytes(path + QStringLiteral("/inside"), previous));
  } else {
    QVERIFY(WriteBytes(path, previous));
  }

  // A file size limit makes the write fail part way, as a full disk would.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, SIG_IGN);
  if (!directoryInTheWay) {
    rlimit small = saved;
    small.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  const bool ok = settingsFile ? SaveSettingsFile(path, ProgramSettings{}, QDateTime::currentDateTime())
                               : SaveConfiguration(path, TestSetupValues{});
  setrlimit(RLIMIT_FSIZE, &saved);

  QVERIFY(!ok);
  QCOMPARE(ReadBytes(directoryInTheWay ? path + QStringLiteral("/inside") : path), previous);
  QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
           QStringList{QStringLiteral("previous")});
}

QTEST_APPLESS_MAIN(TestConfigurationFile)
#include "test_configuration_file.moc"
