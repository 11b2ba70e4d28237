#include "support/record_builder.h"

QByteArray RecordBuilder::Common() const {
  const QList<QByteArray> fields = {status, currentRange, voltageRange, voltsRms, voltsPeak,
                                    frequency, peakPhase, supplyFlags, ampsRms, ampsPeak,
                                    fundamental, totalHarmonics, watts, voltAmps, verdict,
                                    classCode, summary1, summary2};
  QByteArray rest;
  for (const QByteArray& field : fields) rest += ',' + field;
  rest += ',';
  const int length = currentRange.startsWith('4') ? 105 : 107;
  const qsizetype padding = length - 1 - rest.size();
  return '!' + QByteArray(qMax<qsizetype>(0, padding), ' ') + rest;
}

QByteArray RecordBuilder::Line(char type, const QByteArray& body) const {
  return Common() + type + body + '\n';
}

QByteArray RecordBuilder::Waveform(char type, const QList<quint8>& samples) const {
  QByteArray body;
  for (quint8 sample : samples) body += static_cast<char>(sample);
  return Line(type, body);
}

QByteArray HarmonicsBody(const QList<QByteArray>& values, const QByteArray& verdicts) {
  QByteArray section;
  for (const QByteArray& value : values) section += value + ',';
  // The type letter is the section's first character.
  section = section.leftJustified(1123, ' ', true);
  return verdicts.isEmpty() ? section : section + 'R' + verdicts;
}

QByteArray FlickerBody(const QMap<int, QByteArray>& fields) {
  QByteArray body;
  for (int k = 2; k <= 67; ++k) body += ',' + fields.value(k);
  return body.leftJustified(999, ' ', true);
}
