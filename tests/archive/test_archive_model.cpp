// The history's listing of an archive, on a station's file and on a lab's
// server: each search field and filter selects what it should, every
// column sorts both ways in the database, read in small batches that follow
// on from each other, the count is of all that is selected, and a large
// archive is read a batch at a time.
#include <QSqlDatabase>
#include <QTableView>
#include <QTimeZone>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <functional>

#include "archive/archive_database.h"
#include "archive/archive_model.h"
#include "archive/archive_server.h"
#include "support/archive_entries.h"
#include "support/postgres_server.h"
#include "support/test_working_folder.h"

namespace {

// Thirty tests, one a day from 1 November 2026 at 09:00 (+01:00); test 10
// at 00:30, the day before in UTC. Report numbers 100..129 in another
// order than filing.
ArchiveEntry Entry(int i) {
  const QStringList equipment{"Kettle KX-2", "Drill D-400", "Fridge F-9", "Lamp L-1", "Heater H-3"};
  const QStringList testers{"A. Tester", "B. Jones", "C. Smith"};
  ArchiveEntry e;
  e.reportNumber = 100 + (i * 13) % 30;
  e.testedAt = QDateTime(QDate(2026, 11, 1 + i), i == 10 ? QTime(0, 30) : QTime(9, 0),
                         QTimeZone(3600));
  e.durationSeconds = (i * 37) % 100 * 60 + i;
  e.equipment = equipment[i % 5];
  e.serialNumber = QStringLiteral("SN-%1").arg(i * 7, 4, 10, QLatin1Char('0'));
  e.testedBy = testers[i % 3];
  e.standard = i % 4 == 3 ? QStringLiteral("EN61000-3-3") : QStringLiteral("EN61000-3-2");
  e.classOrOptions = i % 4 == 3 ? QStringLiteral("Pst, Plt") : QStringLiteral("Class ") + QLatin1Char("ABCD"[i % 4]);
  e.verdict = i % 10 == 9 ? QString() : i % 6 == 1 ? QStringLiteral("FAIL") : QStringLiteral("PASS");
  if (e.verdict == QLatin1String("FAIL")) e.failures = {QStringLiteral("Harmonic 5"), QStringLiteral("Pst")};
  e.station = i % 2 == 1 ? QStringLiteral("LAB-1") : QStringLiteral("LAB-2");
  e.reportText = QStringLiteral("QX7300 test report\n") + (i == 17 ? QStringLiteral("Mains dip observed\n") : QString());
  return e;
}

constexpr int kEntries = 30;
// Batches small enough that every listing takes several, ties included.
constexpr int kSmallBatch = 7;

// The report numbers listed, reading every batch.
QList<qint64> Listed(ArchiveModel& model) {
  while (model.canFetchMore()) model.fetchMore();
  QList<qint64> numbers;
  for (int row = 0; row < model.rowCount(); ++row)
    numbers << model.index(row, int(ArchiveColumn::ReportNumber)).data().toLongLong();
  return numbers;
}

QVariant Key(const ArchiveEntry& e, ArchiveColumn column) {
  switch (column) {
    case ArchiveColumn::TestedAt: return e.testedAt.toUTC();
    case ArchiveColumn::ReportNumber: return e.reportNumber;
    case ArchiveColumn::Equipment: return e.equipment;
    case ArchiveColumn::SerialNumber: return e.serialNumber;
    case ArchiveColumn::TestedBy: return e.testedBy;
    case ArchiveColumn::Standard: return e.standard;
    case ArchiveColumn::ClassOrOptions: return e.classOrOptions;
    case ArchiveColumn::Verdict: return e.verdict;
    case ArchiveColumn::Duration: return e.durationSeconds;
    case ArchiveColumn::Station: return e.station;
  }
  return {};
}

}  // namespace

class TestArchiveModel : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void searchAndFilters();
  void sortEveryColumn();
  void shownAsTheListingGivesIt();
  void largeArchiveReadInBatches();
  void searchTakesTheTextAsItIs();

 private:
  std::unique_ptr<TestWorkingFolder> folder_;
  std::unique_ptr<TestPostgresServer> server_;
  QSqlDatabase db_;
  // The station's archive, and the same entries on a lab's server where
  // one can be made.
  QList<QSqlDatabase> databases_;
};

void TestArchiveModel::initTestCase() {
  folder_ = std::make_unique<TestWorkingFolder>(TestWorkingFolder::Marks::Without);
  QString error;
  db_ = OpenStationArchive(folder_->FilePath(QStringLiteral("archive.sqlite")), QStringLiteral("a"), &error);
  QVERIFY2(db_.isOpen(), qPrintable(error));
  QVERIFY(InsertArchiveEntries(db_, kEntries, Entry));
  databases_ << db_;
  if (!TestPostgresServer::InstalledHere()) {
    qInfo("PostgreSQL is not installed: the listing is checked on the station's archive only");
    return;
  }
  server_ = std::make_unique<TestPostgresServer>();
  QVERIFY2(server_->Problem().isEmpty(), qPrintable(server_->Problem()));
  QSqlDatabase server = OpenServerArchive({server_->Host(), server_->Port(), server_->Database(), server_->User()}, {},
                                          QStringLiteral("s"), &error);
  QVERIFY2(server.isOpen(), qPrintable(error));
  QVERIFY(InsertArchiveEntries(server, kEntries, Entry));
  databases_ << server;
}

void TestArchiveModel::cleanupTestCase() {
  for (QSqlDatabase& db : databases_) db.close();
  databases_.clear();
  db_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(QStringLiteral("a"));
  QSqlDatabase::removeDatabase(QStringLiteral("s"));
}

void TestArchiveModel::searchAndFilters() {
  struct Case {
    const char* name;
    std::function<void(ArchiveQuery&)> set;
    std::function<bool(int)> selects;  // by the entry's index
  };
  const QList<Case> cases{
      {"everything", [](ArchiveQuery&) {}, [](int) { return true; }},
      {"equipment, any case", [](ArchiveQuery& q) { q.equipment = "kettle"; }, [](int i) { return i % 5 == 0; }},
      {"serial number", [](ArchiveQuery& q) { q.serialNumber = "SN-0021"; }, [](int i) { return i == 3; }},
      {"tested by", [](ArchiveQuery& q) { q.testedBy = "jones"; }, [](int i) { return i % 3 == 1; }},
      {"free text in the report", [](ArchiveQuery& q) { q.freeText = "mains dip"; }, [](int i) { return i == 17; }},
      {"free text in the failures", [](ArchiveQuery& q) { q.freeText = "harmonic 5"; },
       [](int i) { return Entry(i).verdict == "FAIL"; }},
      {"standard", [](ArchiveQuery& q) { q.standard = "EN61000-3-3"; }, [](int i) { return i % 4 == 3; }},
      {"verdict FAIL", [](ArchiveQuery& q) { q.verdict = "FAIL"; }, [](int i) { return Entry(i).verdict == "FAIL"; }},
      {"no verdict", [](ArchiveQuery& q) { q.verdict = "NONE"; }, [](int i) { return i % 10 == 9; }},
      {"from a date", [](ArchiveQuery& q) { q.since = QDate(2026, 11, 25); }, [](int i) { return i >= 24; }},
      {"to a date", [](ArchiveQuery& q) { q.until = QDate(2026, 11, 3); }, [](int i) { return i <= 2; }},
      {"one day, by the station's date", [](ArchiveQuery& q) { q.since = q.until = QDate(2026, 11, 11); },
       [](int i) { return i == 10; }},
      {"station", [](ArchiveQuery& q) { q.station = "LAB-1"; }, [](int i) { return i % 2 == 1; }},
      {"fields together",
       [](ArchiveQuery& q) {
         q.testedBy = "smith";
         q.station = "LAB-2";
         q.verdict = "PASS";
       },
       [](int i) { return i % 3 == 2 && i % 2 == 0 && Entry(i).verdict == "PASS"; }},
      {"nothing found", [](ArchiveQuery& q) { q.equipment = "toaster"; }, [](int) { return false; }},
  };
  for (const QSqlDatabase& db : databases_) {
    ArchiveModel model(db, nullptr, kSmallBatch);
    for (const Case& c : cases) {
      ArchiveQuery query;
      c.set(query);
      model.SetQuery(query);
      // Newest first.
      QList<qint64> expected;
      for (int i = kEntries - 1; i >= 0; --i)
        if (c.selects(i)) expected << Entry(i).reportNumber;
      QVERIFY2(model.Error().isEmpty(), qPrintable(model.Error()));
      QCOMPARE(model.Count(), expected.size());
      const QList<qint64> listed = Listed(model);
      QVERIFY2(listed == expected, qPrintable(db.driverName() + QStringLiteral(": ") + QLatin1String(c.name)));
    }
  }
}

void TestArchiveModel::sortEveryColumn() {
  for (const QSqlDatabase& db : databases_) {
    ArchiveModel model(db, nullptr, kSmallBatch);
    for (int column = 0; column < kArchiveColumns; ++column) {
      for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        model.sort(column, order);
        QList<int> indices(kEntries);
        std::iota(indices.begin(), indices.end(), 0);
        const bool down = order == Qt::DescendingOrder;
        // Ties in the order of filing, the same way round.
        std::stable_sort(indices.begin(), indices.end(), [&](int a, int b) {
          const QPartialOrdering compared =
              QVariant::compare(Key(Entry(a), ArchiveColumn(column)), Key(Entry(b), ArchiveColumn(column)));
          if (compared != QPartialOrdering::Equivalent)
            return down ? compared == QPartialOrdering::Greater : compared == QPartialOrdering::Less;
          return down ? a > b : a < b;
        });
        QList<qint64> expected;
        for (int i : indices) expected << Entry(i).reportNumber;
        QVERIFY2(Listed(model) == expected, qPrintable(QStringLiteral("%1: column %2 %3")
                                                           .arg(db.driverName())
                                                           .arg(column)
                                                           .arg(down ? "descending" : "ascending")));
      }
    }
    // The files' state is not the database's to sort: the order stays.
    model.sort(ArchiveModel::kFilesColumn, Qt::AscendingOrder);
    QCOMPARE(model.SortColumn(), ArchiveColumn::Station);
  }
}

void TestArchiveModel::shownAsTheListingGivesIt() {
  ArchiveModel model(db_);
  ArchiveQuery query;
  query.serialNumber = "SN-0007";  // test 1, failed
  model.SetQuery(query);
  QCOMPARE(model.rowCount(), 1);
  const auto cell = [&](ArchiveColumn column, int role = Qt::DisplayRole) {
    return model.index(0, int(column)).data(role);
  };
  QCOMPARE(cell(ArchiveColumn::TestedAt).toString(), QStringLiteral("2026-11-02 09:00:00"));
  QCOMPARE(cell(ArchiveColumn::Duration).toString(), QStringLiteral("0:37:01"));
  QCOMPARE(cell(ArchiveColumn::Verdict).toString(), QStringLiteral("FAIL"));
  QCOMPARE(cell(ArchiveColumn::Verdict, Qt::ToolTipRole).toString(), QStringLiteral("Failed: Harmonic 5, Pst"));
  QCOMPARE(model.Stations(), QStringList({"LAB-1", "LAB-2"}));
  // The files' column says what a check found, the worst of the files.
  const QModelIndex files = model.index(0, ArchiveModel::kFilesColumn);
  QCOMPARE(files.data().toString(), QString());
  model.SetFilesFound(model.EntryId(0), {FileState::Same, FileState::Changed});
  QCOMPARE(files.data().toString(), QStringLiteral("changed"));
  model.SetFilesFound(model.EntryId(0), {FileState::Same});
  QCOMPARE(files.data().toString(), QStringLiteral("ok"));
}

// A view reads the batches it shows, not the whole archive, and a sort
// starts again from the top. (Figures for 100,000 tests: bench/.)
void TestArchiveModel::largeArchiveReadInBatches() {
  ArchiveModel model(db_, nullptr, kSmallBatch);
  QCOMPARE(model.Count(), kEntries);
  QCOMPARE(model.rowCount(), kSmallBatch);
  QTableView view;
  view.setModel(&model);
  view.resize(800, 200);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  view.scrollToBottom();
  QCoreApplication::processEvents();
  QVERIFY(model.rowCount() > kSmallBatch);
  QVERIFY(model.canFetchMore());
  model.sort(int(ArchiveColumn::ReportNumber), Qt::AscendingOrder);
  QCOMPARE(model.rowCount(), kSmallBatch);
  QCOMPARE(model.index(0, int(ArchiveColumn::ReportNumber)).data().toInt(), 100);
  view.setModel(nullptr);
}

// Whatever an operator types is looked for as it is, in either case,
// whether it is short (read from every test) or long (through the index):
// the databases' own wildcards, quotes and search words are plain text.
void TestArchiveModel::searchTakesTheTextAsItIs() {
  const QStringList equipment{"KÜHLSCHRANK", "100% load_test", "C:\\lab\\unit", "Lamp \"Deluxe\" NEAR window",
                              "Drill AND saw*", "equipment: sub", "Ölpumpe", "plain box"};
  // Apart from the equipment, nothing for a search to find.
  const auto entry = [&](int i) {
    ArchiveEntry e = Entry(i);
    e.equipment = equipment[i];
    e.serialNumber = e.testedBy = e.standard = e.classOrOptions = e.verdict = e.reportText = QString();
    e.failures.clear();
    e.station = QStringLiteral("ZZ");
    e.uid = QStringLiteral("zz-%1").arg(i);
    return e;
  };
  const QList<std::pair<QString, QList<int>>> cases{
      {"ü", {0}}, {"Ü", {0}}, {"kühl", {0}}, {"ö", {6}}, {"Öl", {6}}, {"ÖLP", {6}},
      {"%", {1}}, {"_", {1}}, {"0%", {1}}, {"% l", {1}}, {"d_t", {1}},
      {"\\", {2}}, {":\\l", {2}}, {"\"", {3}}, {"\"Deluxe\"", {3}}, {"near w", {3}},
      {"AND", {4}}, {"saw*", {4}}, {"*", {4}}, {"equipment:", {5}}, {"t: s", {5}},
      {"x", {3, 7}}, {"nd", {3, 4}}, {"%%", {}}, {"a%b", {}}, {"NEAR(box)", {}},
  };
  for (QSqlDatabase& db : databases_) {
    QVERIFY(InsertArchiveEntries(db, int(equipment.size()), entry));
    ArchiveModel model(db, nullptr, kSmallBatch);
    for (const auto& [text, expected] : cases) {
      for (const bool freeText : {true, false}) {
        ArchiveQuery query;
        query.station = QStringLiteral("ZZ");
        (freeText ? query.freeText : query.equipment) = text;
        model.SetQuery(query);
        QStringList found;
        for (const qint64 number : Listed(model)) {
          for (int i = 0; i < equipment.size(); ++i)
            if (entry(i).reportNumber == number) found << equipment[i];
        }
        QStringList wanted;
        for (const int i : expected) wanted << equipment[i];
        found.sort();
        wanted.sort();
        QVERIFY2(model.Error().isEmpty(), qPrintable(text + QStringLiteral(": ") + model.Error()));
        QVERIFY2(found == wanted, qPrintable(QStringLiteral("%1 %2 \"%3\": found %4")
                                                 .arg(db.driverName(), freeText ? "text" : "equipment", text,
                                                      found.join(QStringLiteral(" | ")))));
      }
    }
  }
}

QTEST_MAIN(TestArchiveModel)
#include "test_archive_model.moc"
