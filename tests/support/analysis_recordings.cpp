#include "support/analysis_recordings.h"

#include <QList>
#include <QMap>

#include "record/recorded_state.h"
#include "record/recording_writer.h"
#include "support/record_builder.h"

namespace {

QByteArray Number(double value) { return QByteArray::number(value, 'f', 4); }

void Begin(RecordingWriter& writer, const RecordedState& state) {
  writer.Append({EntryKind::Begin, 0, "2026-12-08T10:00:00.000"});
  writer.Append({EntryKind::State, 0, EncodeState(state)});
  writer.Append({EntryKind::Action, 1, "start-or-abort 2026-12-08T10:00:00.001"});
  writer.Append({EntryKind::Sent, 2, "T:S;"});
}

}  // namespace

namespace harmonics_recording {

QByteArray Limit(int order, int record) { return Number(2.0 / order + (record >= 9 ? 0.01 : 0.0)); }
QByteArray Present(int order, int record) { return Number(0.5 / order + 0.003 * ((record * 7 + order) % 11)); }
QByteArray Average(int order, int record) { return Number(0.4 / order + 0.001 * record); }
QByteArray Maximum(int order, int record) { return Number(0.6 / order + 0.002 * record); }
double Amps(const QByteArray& text) { return text.toDouble(); }

QString Write(const QString& path) {
  RecordingWriter writer(path);
  Begin(writer, RecordedState{});
  for (int i = 1; i <= kRecords; ++i) {
    RecordBuilder record;
    record.verdict = (i == 6 || i == 7 || i >= 13) ? "1" : "0";
    record.status = i < kFirstRunning ? QByteArray("W     ")
                    : i <= kLastRunning ? "T   " + QByteArray::number(20 - i).rightJustified(2, '0')
                                        : QByteArray("Q     ");
    const bool milliamps = i == kMilliampRecord;
    if (milliamps) record.currentRange = "5";
    QList<QByteArray> values;
    for (const auto& table : {&Limit, &Present, &Average, &Maximum}) {
      for (int order = 2; order <= 41; ++order) {
        const QByteArray amps = (*table)(order, i);
        values << (milliamps ? QByteArray::number(amps.toDouble() * 1000, 'f', 1) : amps);
      }
    }
    const QByteArray verdicts(39, '0');
    writer.Append({EntryKind::Received, quint32(i * 1000), record.Line('L', HarmonicsBody(values, verdicts))});
    writer.Append({EntryKind::Received, quint32(i * 1000 + 500), record.Waveform('V', QList<quint8>(301, 128))});
  }
  writer.Append({EntryKind::End, kRecords * 1000 + 600, {}});
  return path;
}

}  // namespace harmonics_recording

namespace flicker_recording {

QByteArray Pst(int record) {
  static const char* const kPst[] = {"0.50", "0.60", "1.20", "1.30", "0.90", "0.90", "0.95", "1.10"};
  return kPst[record - 1];
}
QByteArray Dmax(int record) { return QByteArray::number(2.0 + 0.5 * record, 'f', 2); }

QString Write(const QString& path, const Options& options) {
  RecordingWriter writer(path);
  RecordedState state;
  state.Setup.ComboBox1 = 1;   // EN61000-3-3
  state.Setup.ComboBox2 = 2;   // d(max) "6%"
  state.Setup.ComboBox5 = 1;   // d(t) "3.0% for 200 ms"
  state.Setup.CheckBox5 = options.twoHourPlt;
  state.Setup.CheckBox6 = options.flicker;
  Begin(writer, state);
  for (int i = 1; i <= kRecords; ++i) {
    RecordBuilder record;
    record.status = "T   " + QByteArray::number(20 - i).rightJustified(2, '0');
    const QMap<int, QByteArray> fields{{25, Dmax(i)}, {26, i == 6 ? "1" : "0"}, {27, "1.50"}, {28, "0"},
                                       {34, "2.10"}, {35, "0"},  {55, Pst(i)},  {67, options.plt}};
    writer.Append({EntryKind::Received, quint32(i * 1000), record.Line('H', FlickerBody(fields))});
  }
  writer.Append({EntryKind::End, kRecords * 1000 + 100, {}});
  return path;
}

}  // namespace flicker_recording
