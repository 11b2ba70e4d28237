#include "control/analyser_setup.h"

#include "link/command_vocabulary.h"
#include "link/decimal_text.h"

namespace {

bool IsNumber(const QString& text) { return ParseDecimal(text).has_value(); }

// Above 16 the analyser reads a class C rated current as milliamperes.
constexpr double kClassCAmpsLimit = 16.0;
constexpr double kLowestNominalVolts = 100.0;

}  // namespace

QList<QByteArray> HarmonicsSetupCommands(const HarmonicsSetup& setup) {
  QList<QByteArray> commands;
  switch (setup.classIndex) {
    case 0: commands << Command::ClassA(); break;
    case 1: commands << Command::ClassB(); break;
    case 2:
      if (IsNumber(setup.classCAmps) && IsNumber(setup.classCPowerFactor)) {
        commands << (setup.classCAutomatic ? Command::ClassCAutomatic()
                                           : Command::ClassC(setup.classCAmps, setup.classCPowerFactor));
      }
      break;
    case 3:
      if (IsNumber(setup.classDWatts)) {
        commands << (setup.classDAutomatic ? Command::ClassDAutomatic() : Command::ClassD(setup.classDWatts));
      }
      break;
    default: break;
  }
  commands << Command::Professional(setup.professional) << Command::NoLimitsBelow(setup.noLimitsBelow);
  return commands;
}

QList<QByteArray> FlickerLimitCommands(const FlickerLimits& limits) {
  QList<QByteArray> commands;
  // A list with nothing selected has no command to give.
  if (const QByteArray dmax = Command::DmaxLimit(limits.dmaxIndex); !dmax.isEmpty()) commands << dmax;
  if (const QByteArray dc = Command::DcAndDtLimits(limits.dcLimit, limits.dtIndex); !dc.isEmpty()) commands << dc;
  return commands;
}

QList<QByteArray> FlickerSetupCommands(bool twoHourPlt, bool currentSensing) {
  QList<QByteArray> commands{Command::TwoHourPlt(twoHourPlt)};
  if (currentSensing) {
    commands << Command::ReferenceImpedance() << Command::CurrentSensing();
  } else {
    commands << Command::VoltageSensing();
  }
  return commands;
}

QList<QByteArray> NominalSupplyCommands(const QString& volts, int frequencyIndex) {
  const std::optional<double> value = ParseDecimal(volts);
  if (!value || *value <= kLowestNominalVolts) return {};
  return {Command::NominalVoltage(volts), Command::NominalFrequency(frequencyIndex)};
}

std::optional<QString> ClassCCurrentUnit(const QString& amps) {
  const std::optional<double> value = ParseDecimal(amps);
  if (!value) return std::nullopt;
  return *value > kClassCAmpsLimit ? QStringLiteral("mA") : QStringLiteral("Amps");
}
