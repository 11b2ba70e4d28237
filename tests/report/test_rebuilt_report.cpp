// Reports rebuilt from recordings (--report-from): a PDF the same from run to
// run with the identification as it was typed, recordings of the first
// format version still rebuilt, and a damaged recording that never replaces
// a good report unless a partial one is asked for.
#include <QFile>
#include <QTextStream>
#include <QtTest>

#include <zlib.h>

#include "app/report_from_recording.h"
#include "record/recorded_state.h"
#include "record/recording_format.h"
#include "support/pdf_tools.h"
#include "support/record_builder.h"
#include "support/test_working_folder.h"

namespace {

// A timed harmonics test as the program records it in format `version`;
// its stream uncompressed, less `cut` bytes at its end.
QByteArray HarmonicsTestStream(int version, const QString& equipment, int cut = 0) {
  RecordedState state;
  state.EquipmentUnderTest = equipment;
  state.SerialNumber = QStringLiteral("SN 1042");
  state.ReportCounter = 6;
  QByteArray stream = "QX7300 Recording " + QByteArray::number(version) + '\n';
  if (version >= 2) {
    state.ClockLocale = QStringLiteral("de_DE");
    state.Scale = RecordedScale{};
  }
  QByteArray stateBytes = EncodeState(state);
  if (version == 1) stateBytes = QString::fromUtf8(stateBytes).toLatin1();
  stream += EncodeEntry({EntryKind::Begin, 0, "2026-12-08T10:00:00.000"});
  stream += EncodeEntry({EntryKind::State, 0, stateBytes});
  stream += EncodeEntry({EntryKind::Action, 1, "start-or-abort 2026-12-08T10:00:00.001"});
  quint32 ms = 100;
  for (const char* status : {"T   05", "T   01", "Q     ", "Q     "}) {
    RecordBuilder record;
    record.status = status;
    const QByteArray line = record.Line('L', HarmonicsBody(QList<QByteArray>(160, "1.500")));
    stream += EncodeEntry({EntryKind::Received, ms += 1000, version == 1 ? line : line.chopped(1)});
  }
  stream += EncodeEntry({EntryKind::End, ms, {}});
  return stream.chopped(cut);
}

bool WriteGzip(const QString& path, const QByteArray& bytes) {
  gzFile file = gzopen(QFile::encodeName(path).constData(), "wb");
  if (file == nullptr) return false;
  const bool written = gzwrite(file, bytes.constData(), unsigned(bytes.size())) == bytes.size();
  return gzclose(file) == Z_OK && written;
}

int Rebuild(const QString& recording, const QString& out, bool partial, QString* messages) {
  QTextStream stream(messages);
  return ReportFromRecording(recording, out, stream, partial);
}

// The lines of a report file, blanks runs made one (as a PDF's text comes
// out), empty ones left out.
QStringList ReportLines(const QString& path) {
  const QString text = path.endsWith(QStringLiteral(".pdf")) ? PdfText(path) : QString::fromLatin1(FileBytes(path));
  QStringList lines;
  for (const QString& line : text.split(QLatin1Char('\n')))
    if (!line.trimmed().isEmpty()) lines << line.simplified();
  return lines;
}

}  // namespace

class TestRebuiltReport : public QObject {
  Q_OBJECT

 private slots:
  void pdfTheSameEveryTime_data();
  void pdfTheSameEveryTime();
  void damagedRecordingNeverReplacesAReport_data();
  void damagedRecordingNeverReplacesAReport();
};

void TestRebuiltReport::pdfTheSameEveryTime_data() {
  QTest::addColumn<int>("version");
  QTest::addColumn<QString>("equipment");
  QTest::addColumn<QString>("clock");  // in the graphic's date line; empty: the rebuilding station's locale
  QTest::newRow("version 2") << 2 << QStringLiteral("Kettle \u010Cesk\u00FD \u03A9") << QStringLiteral("8 Dez. 2026 10:00");
  QTest::newRow("version 1") << 1 << QStringLiteral("Caf\u00E9 \u00BD") << QString();
}

// Two rebuilds give the same bytes, with no creation time; the
// identification reads as typed and the clock as the recording station wrote it.
void TestRebuiltReport::pdfTheSameEveryTime() {
  QFETCH(int, version);
  QFETCH(QString, equipment);
  QFETCH(QString, clock);
  TestWorkingFolder folder;
  const QString recording = folder.FilePath(QStringLiteral("RUN7.qxr"));
  QVERIFY(WriteGzip(recording, HarmonicsTestStream(version, equipment)));
  QString messages;
  QCOMPARE(Rebuild(recording, folder.FilePath(QStringLiteral("A.pdf")), false, &messages), 0);
  QCOMPARE(Rebuild(recording, folder.FilePath(QStringLiteral("B.pdf")), false, &messages), 0);
  QCOMPARE(messages, QString());
  const QByteArray pdf = FileBytes(folder.FilePath(QStringLiteral("A.pdf")));
  QVERIFY(pdf.startsWith("%PDF"));
  QVERIFY(pdf == FileBytes(folder.FilePath(QStringLiteral("B.pdf"))));
  const QString info = Poppler(QStringLiteral("pdfinfo"), {folder.FilePath(QStringLiteral("A.pdf"))});
  QVERIFY2(info.contains(QStringLiteral("Pages:")) && !info.contains(QStringLiteral("CreationDate")), qPrintable(info));
  const QStringList lines = ReportLines(folder.FilePath(QStringLiteral("A.pdf")));
  const QString text = lines.join(QLatin1Char('\n'));
  QCOMPARE(lines.value(0), QStringLiteral("Report Number : 7"));
  QVERIFY2(lines.contains(QStringLiteral("Equipment Under Test : ") + equipment), qPrintable(text));
  if (!clock.isEmpty()) QVERIFY2(text.contains(clock), qPrintable(text));
}

void TestRebuiltReport::damagedRecordingNeverReplacesAReport_data() {
  QTest::addColumn<QString>("form");
  QTest::newRow("text") << QStringLiteral("txt");
  QTest::newRow("CSV") << QStringLiteral("csv");
  QTest::newRow("PDF") << QStringLiteral("pdf");
}

// Without --partial nothing is written, over a report or beside it; with
// it, the report of what is whole says so in its first line. Either way the
// exit status tells of the damage.
void TestRebuiltReport::damagedRecordingNeverReplacesAReport() {
  QFETCH(QString, form);
  TestWorkingFolder folder;
  const QString cut = folder.FilePath(QStringLiteral("cut.qxr"));
  QVERIFY(WriteGzip(cut, HarmonicsTestStream(2, QStringLiteral("Kettle"), 12)));
  const QString good = folder.FilePath(QStringLiteral("RUN7.") + form);
  QFile file(good);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write("the good report\r\n") > 0);
  file.close();
  const QString fresh = folder.FilePath(QStringLiteral("NEW.") + form);

  QString messages;
  QCOMPARE(Rebuild(cut, good, false, &messages), 1);
  QCOMPARE(Rebuild(cut, fresh, false, &messages), 1);
  QVERIFY2(messages.contains(QStringLiteral("cut.qxr: it is cut short in entry 7")) && messages.contains(QStringLiteral("--partial")),
           qPrintable(messages));
  QCOMPARE(FileBytes(good), QByteArray("the good report\r\n"));
  QVERIFY(!QFile::exists(fresh));

  QCOMPARE(Rebuild(cut, good, true, &messages), 1);
  const QStringList lines = ReportLines(good);
  QCOMPARE(lines.value(0), QStringLiteral("PARTIAL REPORT: rebuilt from a damaged recording (cut short in entry 7)"));
  QVERIFY2(lines.value(1).startsWith(QStringLiteral("Report Number")), qPrintable(lines.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestRebuiltReport)
#include "test_rebuilt_report.moc"
