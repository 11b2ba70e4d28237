// "Test History...": what the window says of an archive it cannot list, a
// report previewed from its file or from the archive's copy, a moved file
// told as such, the files of the chosen tests checked, a recording opened
// for review, the search applied as it is typed, and the menu's one window.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QTableView>
#include <QTimeZone>
#include <QTreeWidget>
#include <QtTest>

#include "app/archived_report_view.h"
#include "app/qx7300main.h"
#include "app/recording_review.h"
#include "app/test_history_window.h"
#include "archive/archive_database.h"
#include "archive/archive_model.h"
#include "support/analysis_recordings.h"
#include "support/archive_entries.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

namespace {

ArchiveEntry Entry(quint32 number, const QString& equipment, const QString& verdict, const QList<ArchiveFile>& files) {
  ArchiveEntry e;
  e.reportNumber = number;
  e.testedAt = QDateTime(QDate(2026, 12, 1), QTime(9, 0), QTimeZone(3600)).addSecs(number * 3600LL);
  e.durationSeconds = 150;
  e.equipment = equipment;
  e.serialNumber = QStringLiteral("SN-%1").arg(number);
  e.testedBy = QStringLiteral("A. Tester");
  e.standard = QStringLiteral("EN61000-3-2");
  e.classOrOptions = QStringLiteral("Class A");
  e.verdict = verdict;
  if (verdict == QLatin1String("FAIL")) e.failures = {QStringLiteral("Harmonic 7")};
  e.station = number % 2 == 0 ? QStringLiteral("LAB-1") : QStringLiteral("LAB-2");
  e.uid = QStringLiteral("uid-%1").arg(number);
  e.files = files;
  return e;
}

// The row of the test with this report number, made current and selected.
bool Choose(TestHistoryWindow& window, QList<int> numbers) {
  QTableView* table = window.Ui().table;
  table->clearSelection();
  bool all = true;
  for (const int number : numbers) {
    bool found = false;
    for (int row = 0; row < window.Model()->rowCount(); ++row) {
      if (window.Model()->index(row, int(ArchiveColumn::ReportNumber)).data().toInt() != number) continue;
      table->selectionModel()->setCurrentIndex(window.Model()->index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
      found = true;
    }
    all = all && found;
  }
  return all;
}

}  // namespace

class TestHistoryWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void nothingToList_data();
  void nothingToList();
  void previewReport_data();
  void previewReport();
  void verifyFiles();
  void openRecording();
  void searchAsTyped();
  void oneWindowFromTheMenu();

 private:
  // Tests of report numbers 1 to 6 with their files in the folder.
  void FileEntries();

  std::unique_ptr<TestWorkingFolder> folder_;
  ScriptedOperatorDialogs dialogs_;
  QString archive_;
};

void TestHistoryWindowTest::init() {
  folder_ = std::make_unique<TestWorkingFolder>(TestWorkingFolder::Marks::Without);
  archive_ = folder_->FilePath(QStringLiteral("archive.sqlite"));
  dialogs_.shown.clear();
}

void TestHistoryWindowTest::cleanup() { folder_.reset(); }

void TestHistoryWindowTest::FileEntries() {
  const QString dir = folder_->Path() + QLatin1Char('/');
  const QByteArray report = "QX7300 Harmonics Test Report\r\nEquipment: Kettle\r\nVerdict: PASS\r\n";
  QList<ArchiveEntry> entries{
      Entry(1, "Kettle", "PASS", {WriteArchivedFile("text", dir + "RUN1.TXT", report)}),
      Entry(2, "Drill", "FAIL", {WriteArchivedFile("text", dir + "RUN2.TXT", "Drill report\r\n")}),
      Entry(3, "Fridge", "PASS", {WriteArchivedFile("csv", dir + "RUN3.CSV", "Report No.,3\r\nEquipment,Fridge\r\n")}),
      Entry(4, "Lamp", "", {WriteArchivedFile("text", dir + "RUN4.TXT", "Lamp report as filed\r\n")}),
      Entry(5, "Heater", "PASS",
            {WriteArchivedFile("text", dir + "RUN5.TXT", "Heater report\r\n"),
             WriteArchivedFile("setup", dir + "RUN5.HAC", "setup\r\n")}),
      Entry(6, "Fan", "PASS", {}),
  };
  // Test 2's report moved away; test 4's removed but kept by the archive;
  // test 5's set-up changed since.
  QVERIFY(QFile::rename(dir + "RUN2.TXT", dir + "moved.TXT"));
  entries[3].files[0].bytes = "Lamp report as filed\r\n";
  QVERIFY(QFile::remove(dir + "RUN4.TXT"));
  QFile setup(dir + "RUN5.HAC");
  QVERIFY(setup.open(QIODevice::WriteOnly | QIODevice::Append) && setup.write("edited\r\n") > 0);
  setup.close();
  QString error;
  QSqlDatabase db = OpenStationArchive(archive_, QStringLiteral("fill"), &error);
  QVERIFY2(db.isOpen(), qPrintable(error));
  QVERIFY(InsertArchiveEntries(db, entries));
  db.close();
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

void TestHistoryWindowTest::nothingToList_data() {
  QTest::addColumn<QByteArray>("contents");  // of the archive file; null: none
  QTest::addColumn<QString>("said");
  QTest::newRow("no archive yet") << QByteArray() << QStringLiteral("No tests filed yet");
  QTest::newRow("not an archive") << QByteArray("not a database, only text\n").repeated(50)
                                  << QStringLiteral("The archive cannot be opened.\n");
}

void TestHistoryWindowTest::nothingToList() {
  QFETCH(QByteArray, contents);
  QFETCH(QString, said);
  if (!contents.isNull()) WriteArchivedFile("archive", archive_, contents);
  TestHistoryWindow window(dialogs_, archive_, {});
  QVERIFY2(window.Ui().message->text().startsWith(said), qPrintable(window.Ui().message->text()));
  QVERIFY(window.Model() == nullptr);
  QVERIFY(!window.Ui().preview->isEnabled());
  // Looking never makes an archive.
  QCOMPARE(QFileInfo::exists(archive_), !contents.isNull());
}

void TestHistoryWindowTest::previewReport_data() {
  QTest::addColumn<int>("number");
  QTest::addColumn<QString>("shown");  // in the view; empty: nothing shown
  QTest::addColumn<QString>("said");   // in the note, or the warning when nothing is shown
  QTest::newRow("text report") << 1 << QStringLiteral("Equipment: Kettle\nVerdict: PASS") << QString();
  QTest::newRow("moved report") << 2 << QString() << QStringLiteral("has been moved or removed since it was filed");
  QTest::newRow("CSV only") << 3 << QStringLiteral("Report No.,3\nEquipment,Fridge") << QString();
  QTest::newRow("the archive's copy") << 4 << QStringLiteral("Lamp report as filed")
                                      << QStringLiteral("The report as it was filed; the file");
  QTest::newRow("no report filed") << 6 << QString() << QStringLiteral("was filed without a report");
}

void TestHistoryWindowTest::previewReport() {
  QFETCH(int, number);
  QFETCH(QString, shown);
  QFETCH(QString, said);
  FileEntries();
  TestHistoryWindow window(dialogs_, archive_, {});
  QCOMPARE(window.Ui().count->text(), QStringLiteral("6 tests"));
  QVERIFY(Choose(window, {number}));
  QVERIFY(window.Ui().preview->isEnabled());
  window.Ui().preview->click();
  auto* view = window.findChild<ArchivedReportView*>();
  if (shown.isEmpty()) {
    QVERIFY(view == nullptr || !view->isVisible());
    QCOMPARE(dialogs_.Texts("warning").size(), 1);
    QVERIFY2(dialogs_.Texts("warning").first().contains(said), qPrintable(dialogs_.Texts("warning").first()));
  } else {
    QVERIFY(view != nullptr && view->isVisible());
    QVERIFY2(view->Text().contains(shown), qPrintable(view->Text()));
    QVERIFY2(view->Note().contains(said), qPrintable(view->Note()));
    QVERIFY(dialogs_.shown.isEmpty());
  }
}

void TestHistoryWindowTest::verifyFiles() {
  FileEntries();
  TestHistoryWindow window(dialogs_, archive_, {});
  QVERIFY(Choose(window, {1, 2, 5}));
  window.Ui().verify->click();
  QTreeWidget* verified = window.Ui().verified;
  QVERIFY(!verified->isHidden());
  QStringList found;
  for (int i = 0; i < verified->topLevelItemCount(); ++i) {
    QTreeWidgetItem* entry = verified->topLevelItem(i);
    for (int j = 0; j < entry->childCount(); ++j)
      found << QFileInfo(entry->child(j)->text(0)).fileName() + QLatin1Char(' ') + entry->child(j)->text(2);
  }
  // Newest first, as listed.
  QCOMPARE(found, QStringList({"RUN5.HAC changed since it was filed", "RUN5.TXT unchanged",
                               "RUN2.TXT moved or removed", "RUN1.TXT unchanged"}));
  QStringList column;
  for (int row = 0; row < window.Model()->rowCount(); ++row)
    column << window.Model()->index(row, ArchiveModel::kFilesColumn).data().toString();
  // Tests 6 to 1; only the chosen were checked.
  QCOMPARE(column, QStringList({"", "changed", "", "", "missing", "ok"}));
  // A picture with the check shown.
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QVERIFY(window.grab().save(output + QStringLiteral("/history-verified.png")));
}

void TestHistoryWindowTest::openRecording() {
  const QString recording = harmonics_recording::Write(folder_->FilePath(QStringLiteral("RUN7.qxr")));
  QFile file(recording);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  file.close();
  {
    QString error;
    QSqlDatabase db = OpenStationArchive(archive_, QStringLiteral("fill"), &error);
    QVERIFY2(db.isOpen(), qPrintable(error));
    QVERIFY(InsertArchiveEntries(
        db, {Entry(7, "Kettle", "FAIL", {ArchiveFile{"recording", recording, ArchiveHash(bytes), bytes.size(), {}}}),
             Entry(8, "Drill", "PASS", {ArchiveFile{"recording", folder_->FilePath("gone.qxr"), "00", 3, {}}})}));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("fill"));
  TestHistoryWindow window(dialogs_, archive_, {});
  QVERIFY(Choose(window, {8}));
  QVERIFY(window.OpenRecording() == nullptr);
  QCOMPARE(dialogs_.Texts("warning").size(), 1);
  QVERIFY(dialogs_.Texts("warning").first().contains(QStringLiteral("has been moved or removed")));
  QVERIFY(Choose(window, {7}));
  QPointer<RecordingReview> review = window.OpenRecording();
  QVERIFY(review != nullptr);
  QVERIFY(review->Window().isVisible());
  QVERIFY(review->Bar().windowTitle().contains(QStringLiteral("RUN7")));
  review->Bar().close();
  QTRY_VERIFY(review.isNull());
}

void TestHistoryWindowTest::searchAsTyped() {
  QList<ArchiveEntry> entries;
  for (quint32 n = 1; n <= 24; ++n)
    entries << Entry(n, QStringList{"Kettle KX-2", "Drill D-400", "Fridge F-9"}[n % 3],
                     n % 5 == 0 ? "FAIL" : n % 7 == 0 ? "" : "PASS", {});
  {
    QString error;
    QSqlDatabase db = OpenStationArchive(archive_, QStringLiteral("fill"), &error);
    QVERIFY(InsertArchiveEntries(db, entries));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("fill"));
  TestHistoryWindow window(dialogs_, archive_, {});
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);
  QVERIFY(window.grab().save(output + QStringLiteral("/history-list.png")));
  QCOMPARE(window.Ui().count->text(), QStringLiteral("24 tests"));
  QCOMPARE(window.Ui().station->count(), 3);  // any, LAB-1, LAB-2
  // Typed: applied once the typing pauses.
  QTest::keyClicks(window.Ui().equipment, QStringLiteral("drill"));
  QCOMPARE(window.Ui().count->text(), QStringLiteral("24 tests"));
  QTRY_COMPARE(window.Ui().count->text(), QStringLiteral("8 tests"));
  // A filter chosen: at once.
  window.Ui().verdict->setCurrentText(QStringLiteral("FAIL"));
  QCOMPARE(window.Ui().count->text(), QStringLiteral("1 test"));  // the drills are 1, 4, 7, ... 22; 10 failed
  window.Ui().station->setCurrentText(QStringLiteral("LAB-1"));
  window.Ui().fromOn->setChecked(true);
  window.Ui().from->setDate(QDate(2026, 12, 1));
  QVERIFY(window.grab().save(output + QStringLiteral("/history-filtered.png")));
  // (What each filter selects: tests/archive/test_archive_model.)
}

void TestHistoryWindowTest::oneWindowFromTheMenu() {
  TWindowRig::Options options;
  options.dialogs = &dialogs_;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  rig.Ui().TestHistory1->trigger();
  rig.Ui().TestHistory1->trigger();
  const auto windows = rig.Window().findChildren<TestHistoryWindow*>();
  QCOMPARE(windows.size(), 1);
  QVERIFY(windows.first()->isVisible());
  QVERIFY(windows.first()->Ui().message->text().startsWith(QStringLiteral("No tests filed yet")));
  // Closed, it is gone; the menu makes a new one.
  windows.first()->close();
  QTRY_COMPARE(rig.Window().findChildren<TestHistoryWindow*>().size(), 0);
  rig.Ui().TestHistory1->trigger();
  QCOMPARE(rig.Window().findChildren<TestHistoryWindow*>().size(), 1);
}

QTEST_MAIN(TestHistoryWindowTest)
#include "test_history_window.moc"
