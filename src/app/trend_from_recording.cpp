#include "app/trend_from_recording.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <optional>

#include "app/report_from_recording.h"
#include "persist/safe_file_writer.h"
#include "record/recording_reader.h"
#include "session/analysis_csv.h"
#include "session/command_sink.h"
#include "session/recording_analysis.h"
#include "session/test_document.h"
#include "session/trend_samples.h"

namespace {

constexpr const char* kUsage =
    "Usage: veltrix --report-from RECORDING --trend ORDER --out FILE\n"
    "       veltrix --report-from RECORDING --statistics --out FILE\n";

QByteArray Line(const QString& text) { return text.toLatin1() + "\r\n"; }

// The file put in place; the exit code.
// A damaged recording replaces nothing unless asked to (--partial): the
// file written so far is then dropped.
int Finish(SafeFileStream& out, const QString& outPath, const RecordingReader& recording, bool partial,
           QTextStream& messages) {
  const bool damaged = !recording.Problem().isEmpty();
  if (damaged) messages << "veltrix: " << recording.Problem() << Qt::endl;
  if (damaged && !partial) {
    messages << "veltrix: " << outPath << ": not written; --partial writes what is whole" << Qt::endl;
    return 1;
  }
  if (const QString error = out.Commit(); !error.isEmpty()) {
    messages << "veltrix: " << outPath << ": " << error << Qt::endl;
    return 1;
  }
  return damaged ? 1 : 0;
}

}  // namespace

int TrendFromRecording(const QString& recordingPath, const QString& order, const QString& outPath,
                       QTextStream& messages, bool partial) {
  const bool flickerAsked = order.compare(QStringLiteral("flicker"), Qt::CaseInsensitive) == 0;
  bool numeric = false;
  const int harmonic = order.toInt(&numeric);
  if (!flickerAsked && (!numeric || harmonic < kTrendFirstOrder || harmonic > kTrendLastOrder)) {
    messages << "veltrix: --trend takes a harmonic order from 2 to 40, or flicker, not " << order << Qt::endl;
    return 2;
  }
  RecordingReader recording(recordingPath);
  if (!recording.Start().isValid()) {
    messages << "veltrix: " << recording.Problem() << Qt::endl;
    return 2;
  }

  SilentCommands silent;
  TestDocument document(silent);
  document.SetReplaying();
  SafeFileStream out(outPath);
  // The series follow the test's standard as the first received line finds it.
  std::optional<bool> flicker;
  const auto decide = [&] {
    if (flicker) return;
    flicker = flickerAsked || TestStandardIsFlicker(document);
    out.Write(Line(*flicker ? FlickerTrendCsvHeader() : HarmonicTrendCsvHeader(harmonic)));
  };
  RecordingEntry entry;
  while (recording.Next(entry)) {
    document.ReplayEntry(recording.Start(), entry);
    if (entry.Kind != EntryKind::Received) continue;
    decide();
    if (*flicker) {
      if (const auto sample = FlickerTrendSample(document)) {
        out.Write(Line(FlickerTrendCsvRow(entry.Milliseconds, *sample, document.ReportedSetup().Setup)));
      }
    } else if (const auto sample = HarmonicTrendSample(document)) {
      out.Write(Line(HarmonicTrendCsvRow(entry.Milliseconds, *sample, harmonic)));
    }
  }
  decide();
  return Finish(out, outPath, recording, partial, messages);
}

int StatisticsFromRecording(const QString& recordingPath, const QString& outPath, QTextStream& messages,
                            bool partial) {
  RecordingReader recording(recordingPath);
  if (!recording.Start().isValid()) {
    messages << "veltrix: " << recording.Problem() << Qt::endl;
    return 2;
  }
  RecordingAnalysis analysis;
  AnalyseRecording(recording, analysis);
  SafeFileStream out(outPath);
  for (const QString& line : StatisticsCsv(analysis.Statistics().Orders())) out.Write(Line(line));
  return Finish(out, outPath, recording, partial, messages);
}

int AnswerAnalysisRequest(int argc, char** argv) {
  const char* recording = nullptr;
  const char* out = nullptr;
  const char* order = nullptr;
  bool trend = false;
  bool statistics = false;
  bool partial = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--report-from") == 0 && i + 1 < argc) {
      recording = argv[++i];
    } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else if (std::strcmp(argv[i], "--trend") == 0) {
      trend = true;
      if (i + 1 < argc) order = argv[++i];
    } else if (std::strcmp(argv[i], "--statistics") == 0) {
      statistics = true;
    } else if (std::strcmp(argv[i], "--partial") == 0) {
      partial = true;
    }
  }
  if (!trend && !statistics) return -1;
  if (recording == nullptr || out == nullptr || (trend && order == nullptr) || (trend && statistics)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // No display is needed: nothing is shown.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  QTextStream messages(stderr);
  const QString outPath = QString::fromLocal8Bit(out);
  const QString recordingPath = QString::fromLocal8Bit(recording);
  if (IsTheRecording(recordingPath, outPath)) {
    messages << "veltrix: " << outPath << ": is the recording itself; not written" << Qt::endl;
    return 2;
  }
  return trend ? TrendFromRecording(recordingPath, QString::fromLocal8Bit(order), outPath, messages, partial)
               : StatisticsFromRecording(recordingPath, outPath, messages, partial);
}
