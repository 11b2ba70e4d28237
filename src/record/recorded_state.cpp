#include "record/recorded_state.h"

#include <QList>
#include <QStringList>

#include "link/decimal_text.h"

namespace {

constexpr int kSetupLines = 30;
constexpr int kStateLines = kSetupLines + 3;
constexpr int kLinesWithDisplay = kStateLines + 2;
const QString kAutomaticScale = QStringLiteral("auto");
const QString kManualScale = QStringLiteral("manual ");

QString ScaleText(const RecordedScale& scale) {
  return scale.Automatic ? kAutomaticScale : kManualScale + QString::number(scale.ManualIndex);
}

std::optional<RecordedScale> ScaleFromText(const QString& text) {
  if (text == kAutomaticScale) return RecordedScale{};
  if (!text.startsWith(kManualScale)) return std::nullopt;
  bool ok = false;
  const uint index = text.mid(kManualScale.size()).toUInt(&ok);
  if (!ok || index > 255) return std::nullopt;
  return RecordedScale{false, static_cast<quint8>(index)};
}

QString OneLine(QString text) {
  return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

}  // namespace

QByteArray EncodeState(const RecordedState& state) {
  QStringList lines = ConfigurationLines(state.Setup);
  for (QString& line : lines) line = OneLine(line);
  lines << OneLine(state.EquipmentUnderTest) << OneLine(state.SerialNumber) << QString::number(state.ReportCounter);
  if (state.ClockLocale && state.Scale) lines << OneLine(*state.ClockLocale) << ScaleText(*state.Scale);
  return lines.join(QLatin1Char('\n')).toUtf8();
}

std::optional<RecordedState> DecodeState(const QByteArray& bytes) {
  const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
  if (lines.size() != kStateLines && lines.size() != kLinesWithDisplay) return std::nullopt;
  const ConfigurationRead read = ConfigurationFromLines(lines.mid(0, kSetupLines));
  if (read.Failed) return std::nullopt;
  RecordedState state;
  for (const ConfigurationItem& item : read.Items) ApplyConfigurationItem(item, state.Setup);
  state.EquipmentUnderTest = lines[kSetupLines];
  state.SerialNumber = lines[kSetupLines + 1];
  bool ok = false;
  state.ReportCounter = lines[kSetupLines + 2].toInt(&ok);
  if (!ok) return std::nullopt;
  if (lines.size() == kLinesWithDisplay) {
    state.ClockLocale = lines[kStateLines];
    state.Scale = ScaleFromText(lines[kStateLines + 1]);
    if (!state.Scale) return std::nullopt;
  }
  return state;
}
