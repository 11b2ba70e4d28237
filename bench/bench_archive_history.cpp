// What listing, sorting and searching an archive of 100,000 tests costs the
// history window: the count and the first batch, as the window shows them.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTimeZone>

#include "archive/archive_database.h"
#include "archive/archive_model.h"
#include "support/archive_entries.h"

namespace {

constexpr int kTests = 100'000;

// A report text of the size the program's reports are (about 2 kB).
ArchiveEntry Entry(int i) {
  const QStringList equipment{"Kettle KX-2", "Drill D-400", "Fridge F-9", "Lamp L-1", "Heater H-3", "Fan F-12"};
  ArchiveEntry e;
  e.reportNumber = i + 1;
  e.testedAt = QDateTime(QDate(2020, 1, 1), QTime(8, 0), QTimeZone(3600)).addSecs(i * 900LL);
  e.durationSeconds = 150 + i % 7200;
  e.equipment = equipment[i % equipment.size()] + QStringLiteral(" #%1").arg(i % 977);
  e.serialNumber = QStringLiteral("SN-%1").arg(i * 7919 % 1'000'003);
  e.testedBy = QStringList{"A. Tester", "B. Jones", "C. Smith", "D. Brown"}[i % 4];
  e.standard = i % 3 == 0 ? QStringLiteral("EN61000-3-3") : QStringLiteral("EN61000-3-2");
  e.classOrOptions = i % 3 == 0 ? QStringLiteral("Pst, Plt") : QStringLiteral("Class A");
  e.verdict = i % 11 == 0 ? QStringLiteral("FAIL") : QStringLiteral("PASS");
  if (i % 11 == 0) e.failures = {QStringLiteral("Harmonic 5")};
  e.station = QStringLiteral("LAB-%1").arg(i % 5);
  e.reportText = QStringLiteral("QX7300 Harmonics Test Report line of values 1.234 0.567 PASS\n").repeated(32) +
                 (i % 1000 == 0 ? QStringLiteral("Mains dip observed\n") : QString());
  return e;
}

struct Archive {
  QTemporaryDir folder;
  QSqlDatabase db;
  Archive() {
    QString error;
    db = OpenStationArchive(folder.filePath(QStringLiteral("archive.sqlite")), QStringLiteral("bench"), &error);
    if (!db.isOpen() || !InsertArchiveEntries(db, kTests, Entry)) qFatal("archive: %s", qPrintable(error));
  }
};

Archive& Shared() {
  static Archive archive;
  return archive;
}

void Listed(benchmark::State& state, const std::function<void(ArchiveModel&)>& change) {
  ArchiveModel model(Shared().db);
  for (auto _ : state) {
    change(model);
    benchmark::DoNotOptimize(model.rowCount());
  }
  state.counters["selected"] = double(model.Count());
  state.counters["rows_read"] = model.rowCount();
}

void BM_OpenNewestFirst(benchmark::State& state) {
  for (auto _ : state) {
    ArchiveModel model(Shared().db);
    benchmark::DoNotOptimize(model.rowCount());
  }
}
BENCHMARK(BM_OpenNewestFirst)->Unit(benchmark::kMillisecond);

void BM_SortByEquipment(benchmark::State& state) {
  Listed(state, [](ArchiveModel& m) { m.sort(int(ArchiveColumn::Equipment), Qt::AscendingOrder); });
}
BENCHMARK(BM_SortByEquipment)->Unit(benchmark::kMillisecond);

void BM_SearchEquipment(benchmark::State& state) {
  Listed(state, [](ArchiveModel& m) {
    ArchiveQuery q;
    q.equipment = QStringLiteral("drill d-400 #12");
    m.SetQuery(q);
  });
}
BENCHMARK(BM_SearchEquipment)->Unit(benchmark::kMillisecond);

void BM_SearchFreeText(benchmark::State& state) {
  Listed(state, [](ArchiveModel& m) {
    ArchiveQuery q;
    q.freeText = QStringLiteral("mains dip");
    m.SetQuery(q);
  });
}
BENCHMARK(BM_SearchFreeText)->Unit(benchmark::kMillisecond);

void BM_FilterFailedAtOneStation(benchmark::State& state) {
  Listed(state, [](ArchiveModel& m) {
    ArchiveQuery q;
    q.verdict = QStringLiteral("FAIL");
    q.station = QStringLiteral("LAB-3");
    m.SetQuery(q);
  });
}
BENCHMARK(BM_FilterFailedAtOneStation)->Unit(benchmark::kMillisecond);

void BM_ScrollThroughAll(benchmark::State& state) {
  for (auto _ : state) {
    ArchiveModel model(Shared().db);
    while (model.canFetchMore()) model.fetchMore();
    benchmark::DoNotOptimize(model.rowCount());
  }
}
BENCHMARK(BM_ScrollThroughAll)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  // The archive is made before anything is timed.
  Shared();
  benchmark::RunSpecifiedBenchmarks();
  Shared().db.close();
  return 0;
}
