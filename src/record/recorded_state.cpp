#include "record/recorded_state.h"

#include <QList>
#include <QStringList>

#include "link/decimal_text.h"

namespace {

constexpr int kSetupLines = 30;

QString OneLine(QString text) {
  return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

}  // namespace

QByteArray EncodeState(const RecordedState& state) {
  QStringList lines = ConfigurationLines(state.Setup);
  for (QString& line : lines) line = OneLine(line);
  lines << OneLine(state.EquipmentUnderTest) << OneLine(state.SerialNumber) << QString::number(state.ReportCounter);
  return lines.join(QLatin1Char('\n')).toLatin1();
}

std::optional<RecordedState> DecodeState(const QByteArray& bytes) {
  const QStringList lines = QString::fromLatin1(bytes).split(QLatin1Char('\n'));
  if (lines.size() != kSetupLines + 3) return std::nullopt;
  const ConfigurationRead read = ConfigurationFromLines(lines.mid(0, kSetupLines));
  if (read.Failed) return std::nullopt;
  RecordedState state;
  for (const ConfigurationItem& item : read.Items) ApplyConfigurationItem(item, state.Setup);
  state.EquipmentUnderTest = lines[kSetupLines];
  state.SerialNumber = lines[kSetupLines + 1];
  bool ok = false;
  state.ReportCounter = lines[kSetupLines + 2].toInt(&ok);
  if (!ok) return std::nullopt;
  return state;
}
