// What listing, sorting and searching an archive of 100,000 tests costs the
// history window: the count and the first batch, as the window shows them.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTimeZone>

#include <QSqlQuery>

#include <cstdio>
#include <memory>
#include <vector>

#include "archive/archive_database.h"
#include "archive/archive_model.h"
#include "archive/archive_server.h"
#include "support/archive_entries.h"
#include "support/postgres_server.h"

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

// The same archive on a station's file and on a lab's server of its own.
struct Archive {
  QTemporaryDir folder;
  std::unique_ptr<TestPostgresServer> server;
  QSqlDatabase db;
  explicit Archive(bool onServer) {
    QString error;
    const QString name = onServer ? QStringLiteral("bench-server") : QStringLiteral("bench-station");
    if (onServer) {
      server = std::make_unique<TestPostgresServer>();
      if (!server->Problem().isEmpty()) qFatal("server: %s", qPrintable(server->Problem()));
      db = OpenServerArchive({server->Host(), server->Port(), server->Database(), server->User()}, {}, name, &error);
    } else {
      db = OpenStationArchive(folder.filePath(QStringLiteral("archive.sqlite")), name, &error);
    }
    if (!db.isOpen() || !InsertArchiveEntries(db, kTests, Entry)) qFatal("archive: %s", qPrintable(error));
    if (onServer) QSqlQuery(db).exec(QStringLiteral("ANALYZE"));
  }
};

void Listed(benchmark::State& state, Archive& archive, const std::function<void(ArchiveModel&)>& change) {
  ArchiveModel model(archive.db);
  for (auto _ : state) {
    change(model);
    benchmark::DoNotOptimize(model.rowCount());
  }
  state.counters["selected"] = double(model.Count());
  state.counters["rows_read"] = model.rowCount();
}

void OpenNewestFirst(benchmark::State& state, Archive& archive) {
  for (auto _ : state) {
    ArchiveModel model(archive.db);
    benchmark::DoNotOptimize(model.rowCount());
  }
}

void SortByEquipment(benchmark::State& state, Archive& archive) {
  Listed(state, archive, [](ArchiveModel& m) { m.sort(int(ArchiveColumn::Equipment), Qt::AscendingOrder); });
}

void SearchEquipment(benchmark::State& state, Archive& archive) {
  Listed(state, archive, [](ArchiveModel& m) {
    ArchiveQuery q;
    q.equipment = QStringLiteral("drill d-400 #12");
    m.SetQuery(q);
  });
}

void SearchFreeText(benchmark::State& state, Archive& archive) {
  Listed(state, archive, [](ArchiveModel& m) {
    ArchiveQuery q;
    q.freeText = QStringLiteral("mains dip");
    m.SetQuery(q);
  });
}

void FilterFailedAtOneStation(benchmark::State& state, Archive& archive) {
  Listed(state, archive, [](ArchiveModel& m) {
    ArchiveQuery q;
    q.verdict = QStringLiteral("FAIL");
    q.station = QStringLiteral("LAB-3");
    m.SetQuery(q);
  });
}

void ScrollThroughAll(benchmark::State& state, Archive& archive) {
  for (auto _ : state) {
    ArchiveModel model(archive.db);
    while (model.canFetchMore()) model.fetchMore();
    benchmark::DoNotOptimize(model.rowCount());
  }
}

}  // namespace

// Each case on the station's file, then on a server of the benchmark's own
// (left out, with a note, where PostgreSQL is not installed).
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  // The archives are made before anything is timed.
  std::vector<std::unique_ptr<Archive>> archives;
  archives.push_back(std::make_unique<Archive>(false));
  if (TestPostgresServer::InstalledHere())
    archives.push_back(std::make_unique<Archive>(true));
  else
    std::fprintf(stderr, "PostgreSQL is not installed: the server's figures are left out\n");
  const std::pair<const char*, void (*)(benchmark::State&, Archive&)> cases[] = {
      {"OpenNewestFirst", OpenNewestFirst},   {"SortByEquipment", SortByEquipment},
      {"SearchEquipment", SearchEquipment},   {"SearchFreeText", SearchFreeText},
      {"FilterFailedAtOneStation", FilterFailedAtOneStation}};
  for (const auto& archive : archives) {
    const std::string where = archive->server ? "server/" : "station/";
    for (const auto& [name, run] : cases)
      benchmark::RegisterBenchmark((where + name).c_str(), run, std::ref(*archive))->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((where + "ScrollThroughAll").c_str(), ScrollThroughAll, std::ref(*archive))
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
  }
  benchmark::RunSpecifiedBenchmarks();
  for (const auto& archive : archives) archive->db.close();
  return 0;
}
