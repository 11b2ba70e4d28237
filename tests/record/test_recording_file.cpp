// Recording files as the writer leaves them, as a crash leaves them, and as
// they may arrive from elsewhere: cut, corrupted or foreign.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "record/recorded_state.h"
#include "record/recording_format.h"
#include "record/recording_writer.h"
#include "support/test_working_folder.h"

namespace {

QList<RecordingEntry> SomeEntries(int count) {
  QList<RecordingEntry> entries{{EntryKind::Begin, 0, "2026-12-08T10:00:00.000"}};
  for (int i = 1; i < count; ++i) entries.append({EntryKind::Received, quint32(i * 40), QByteArray(300, char('a' + i % 26))});
  return entries;
}

void CompareEntries(const QList<RecordingEntry>& read, const QList<RecordingEntry>& written) {
  QCOMPARE(read.size(), written.size());
  for (qsizetype i = 0; i < read.size(); ++i) {
    QCOMPARE(read[i].Kind, written[i].Kind);
    QCOMPARE(read[i].Milliseconds, written[i].Milliseconds);
    QCOMPARE(read[i].Payload, written[i].Payload);
  }
}

}  // namespace

class TestRecordingFile : public QObject {
  Q_OBJECT

 private slots:
  void writtenInPiecesReadsWhole();
  void aCrashLosesAtMostTheLastSecond();
  void damagedFiles_data();
  void damagedFiles();
  void besideTheReport();
  void timesOnlyGoForward();
  void versions_data();
  void versions();

 private:
  QTemporaryDir dir_;
};

// A recording completed for a report's copy and then continued reads back
// whole, in order, as closed.
void TestRecordingFile::writtenInPiecesReadsWhole() {
  const QString path = dir_.filePath(QStringLiteral("folder/made/test.qxr"));
  QList<RecordingEntry> entries = SomeEntries(50);
  entries.append({EntryKind::End, 2000, {}});
  {
    RecordingWriter writer(path);
    for (int i = 0; i < 25; ++i) writer.Append(entries[i]);
    QVERIFY(writer.Complete());
    const RecordingContents copy = ReadRecordingFile(path);
    QCOMPARE(copy.Problem, QString());
    QCOMPARE(copy.Entries.size(), 25);
    for (qsizetype i = 25; i < entries.size(); ++i) writer.Append(entries[i]);
  }
  const RecordingContents read = ReadRecordingFile(path);
  QCOMPARE(read.Problem, QString());
  QVERIFY(read.Ended);
  QCOMPARE(read.Start, QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
  CompareEntries(read.Entries, entries);
}

// While the writer is still open, what it was handed more than a second ago
// is in the file and reads back; so it does after a crash or a pulled plug.
void TestRecordingFile::aCrashLosesAtMostTheLastSecond() {
  const QString path = dir_.filePath(QStringLiteral("open.qxr"));
  RecordingWriter writer(path);
  const QList<RecordingEntry> entries = SomeEntries(30);
  for (const RecordingEntry& entry : entries) writer.Append(entry);
  QElapsedTimer waited;
  waited.start();
  RecordingContents read;
  QTRY_VERIFY_WITH_TIMEOUT((read = ReadRecordingFile(path)).Entries.size() == entries.size(), 2500);
  QVERIFY(waited.elapsed() < 2000);
  // Read while the writer has it: not damage, a recording still going on.
  QVERIFY2(read.Problem.endsWith(QStringLiteral("it is still being recorded")), qPrintable(read.Problem));
  CompareEntries(read.Entries, entries);
  // The same bytes with no writer behind them, as a crash leaves them.
  const QString crashed = dir_.filePath(QStringLiteral("crashed.qxr"));
  QVERIFY(QFile::copy(path, crashed));
  const RecordingContents left = ReadRecordingFile(crashed);
  QVERIFY2(left.Problem.endsWith(QStringLiteral("it is cut short")), qPrintable(left.Problem));
  CompareEntries(left.Entries, entries);
}

void TestRecordingFile::damagedFiles_data() {
  QTest::addColumn<QString>("seed");  // fuzz/corpus/recording
  QTest::addColumn<int>("entries");   // read before the damage
  QTest::addColumn<QString>("problem");
  QTest::newRow("whole") << "whole.qxr" << 7 << "";
  QTest::newRow("whole, version 2") << "whole-version-2.qxr" << 7 << "";
  QTest::newRow("two gzip members") << "two-members.qxr" << 7 << "";
  QTest::newRow("cut after a flush") << "cut-after-flush.qxr" << 7 << "it is cut short";
  QTest::newRow("cut in the middle") << "cut-in-middle.qxr" << 0 << "it is cut short";
  QTest::newRow("a corrupted byte") << "corrupted.qxr" << 0 << "it is corrupted";
  QTest::newRow("another program's gzip") << "foreign-gzip.qxr" << 0 << "it is not a QX7300 recording";
  QTest::newRow("not compressed") << "not-gzip.qxr" << 0 << "it is not a QX7300 recording";
  QTest::newRow("empty") << "empty.qxr" << 0 << "it is empty";
  QTest::newRow("a length past all reason") << "huge-length.qxr" << 0 << "entry 1 is damaged";
  QTest::newRow("missing") << "missing.qxr" << 0 << "No such file or directory";
}

// The message names the file and the damage; what is whole before it is kept.
void TestRecordingFile::damagedFiles() {
  QFETCH(QString, seed);
  QFETCH(int, entries);
  QFETCH(QString, problem);
  const RecordingContents read = ReadRecordingFile(SourceFilePath(QStringLiteral("fuzz/corpus/recording/") + seed));
  if (problem.isEmpty()) {
    QCOMPARE(read.Problem, QString());
  } else {
    QVERIFY2(read.Problem.startsWith(seed + QStringLiteral(": ")) && read.Problem.contains(problem), qPrintable(read.Problem));
  }
  if (entries > 0) QCOMPARE(read.Entries.size(), entries);
  if (seed == QStringLiteral("cut-in-middle.qxr")) QVERIFY(!read.Entries.isEmpty() && read.Entries.size() < 7);
}

void TestRecordingFile::besideTheReport() {
  QDir folder(dir_.path());
  QCOMPARE(RecordingPathForReport(folder.filePath(QStringLiteral("RUN7.TXT"))), folder.filePath(QStringLiteral("RUN7.qxr")));
  QCOMPARE(RecordingPathForReport(folder.filePath(QStringLiteral("run.7.pdf"))), folder.filePath(QStringLiteral("run.7.qxr")));
  QCOMPARE(RecordingPathForReport(folder.filePath(QStringLiteral("A.qxr"))), folder.filePath(QStringLiteral("A.qxr.qxr")));
  QFile existing(folder.filePath(QStringLiteral("RUN8.QXR")));
  QVERIFY(existing.open(QIODevice::WriteOnly));
  QCOMPARE(RecordingPathForReport(folder.filePath(QStringLiteral("RUN8.csv"))), existing.fileName());
}

// A time that goes backwards (a 32-bit time past its wrap, damage) reads
// as the time before it, so that playing and seeking only go forward.
void TestRecordingFile::timesOnlyGoForward() {
  const QString path = dir_.filePath(QStringLiteral("wrapped.qxr"));
  {
    RecordingWriter writer(path);
    for (const quint32 milliseconds : {0u, 100u, 4'294'967'000u, 20u, 4'294'967'100u, 30u})
      writer.Append({EntryKind::Begin, milliseconds, "2026-12-08T10:00:00.000"});
  }
  const RecordingContents read = ReadRecordingFile(path);
  QCOMPARE(read.Problem, QString());
  QList<quint32> times;
  for (const RecordingEntry& entry : read.Entries) times << entry.Milliseconds;
  QCOMPARE(times, (QList<quint32>{0, 100, 4'294'967'000u, 4'294'967'000u, 4'294'967'100u, 4'294'967'100u}));
}

void TestRecordingFile::versions_data() {
  QTest::addColumn<QByteArray>("magic");
  QTest::addColumn<QByteArray>("line");      // the received line's payload as written
  QTest::addColumn<QByteArray>("equipment");  // the state's equipment line as written
  QTest::addColumn<int>("version");
  QTest::addColumn<QString>("problem");
  const QString equipment = QStringLiteral("Kettle \u010Cesk\u00FD \u03A9");
  QTest::newRow("version 2: lines without LF, UTF-8 state") << QByteArray("QX7300 Recording 2\n") << QByteArray("!line")
                                                            << equipment.toUtf8() << 2 << QString();
  QTest::newRow("version 1: lines with LF, Latin-1 state") << QByteArray("QX7300 Recording 1\n") << QByteArray("!line\n")
                                                           << QStringLiteral("Caf\u00E9 \u00BD").toLatin1() << 1 << QString();
  QTest::newRow("a newer Veltrix's") << QByteArray("QX7300 Recording 12\n") << QByteArray("!line") << QByteArray("K") << 12
                                     << QStringLiteral("it was made by a newer Veltrix (recording version 12)");
  QTest::newRow("another program's") << QByteArray("QX7300 Recording x\n") << QByteArray("!line") << QByteArray("K") << 0
                                     << QStringLiteral("it is not a QX7300 recording");
}

// Each version reads as the current one: the line without its LF, the
// state's text as it was typed.
void TestRecordingFile::versions() {
  QFETCH(QByteArray, magic);
  QFETCH(QByteArray, line);
  QFETCH(QByteArray, equipment);
  QFETCH(int, version);
  QFETCH(QString, problem);
  RecordedState typed;
  typed.EquipmentUnderTest = QStringLiteral("EQUIPMENT");
  const QByteArray state = EncodeState(typed).replace("EQUIPMENT", equipment);
  const QByteArray stream = magic + EncodeEntry({EntryKind::Begin, 0, "2026-12-08T10:00:00.000"}) +
                            EncodeEntry({EntryKind::State, 0, state}) + EncodeEntry({EntryKind::Received, 5, line});
  QCOMPARE(RecordingVersionOf(stream), version);
  const RecordingContents read = DecodeRecording(stream);
  QCOMPARE(read.Problem, problem);
  if (!problem.isEmpty()) {
    QVERIFY(read.Entries.isEmpty());
    return;
  }
  QCOMPARE(read.Entries.size(), 3);
  QCOMPARE(read.Entries[2].Payload, QByteArray("!line"));
  const std::optional<RecordedState> decoded = DecodeState(read.Entries[1].Payload);
  QVERIFY(decoded);
  QCOMPARE(decoded->EquipmentUnderTest, version == 1 ? QString::fromLatin1(equipment) : QString::fromUtf8(equipment));
}

QTEST_MAIN(TestRecordingFile)
#include "test_recording_file.moc"
