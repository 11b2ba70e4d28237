#include "link/command_vocabulary.h"

namespace Command {

namespace {

QByteArray Typed(const char* head, const QString& parameter) {
  return QByteArray(head) + parameter.toLatin1() + ';';
}

}  // namespace

QByteArray StartTest() { return "T:S;"; }
QByteArray AbortTest() { return "T:A;"; }
QByteArray HoldTest() { return "T:H;"; }
QByteArray FreeRun() { return "T:F;"; }
QByteArray TransmitBoxDefault() { return "T:G;"; }
QByteArray ResetMeter() { return "M:R;"; }
QByteArray LinkClosing() { return "M:L;"; }

QByteArray HarmonicMethod(int testMethodIndex) {
  return testMethodIndex == 1 ? QByteArray("M:H,1;") : QByteArray("M:H,3;");
}

QByteArray TwoHourPlt(bool on) { return on ? "M:F,1;" : "M:F,0;"; }

QByteArray RequestWaveforms() { return "R:W;"; }
QByteArray RequestHarmonics() { return "R:H;"; }
QByteArray RequestFlicker() { return "R:F;"; }

QByteArray AutoRange() { return "I:U;"; }
QByteArray LockRange() { return "I:L;"; }

QByteArray SelectRange(int rangeIndex) {
  return QByteArray("I:") + QByteArray::number(rangeIndex & 0xF, 16).toUpper() + ';';
}

QByteArray ClassA() { return "K:A;"; }
QByteArray ClassB() { return "K:B;"; }
QByteArray ClassCAutomatic() { return "K:C,0,0;"; }
QByteArray ClassC(const QString& amps, const QString& powerFactor) {
  return "K:C," + amps.toLatin1() + ',' + powerFactor.toLatin1() + ';';
}
QByteArray ClassDAutomatic() { return "K:D,0;"; }
QByteArray ClassD(const QString& watts) { return Typed("K:D,", watts); }
QByteArray Professional(bool professional) { return professional ? "E:P;" : "E:S;"; }
QByteArray NoLimitsBelow(const QString& watts) { return Typed("N:", watts); }

QByteArray DmaxLimit(int itemIndex) {
  static const char* const kPercent[] = {"4", "5.33", "6", "7"};
  if (itemIndex < 0 || itemIndex > 3) return {};
  return QByteArray("X:") + kPercent[itemIndex] + ';';
}

QByteArray DcAndDtLimits(const QString& dcLimit, int dtItemIndex) {
  static const char* const kCriteria[] = {",3.3,500;", ",3.0,200;", ",4.0,200;"};
  if (dtItemIndex < 0 || dtItemIndex > 2) return {};
  return "C:" + dcLimit.trimmed().toLatin1() + kCriteria[dtItemIndex];
}

QByteArray Duration(int seconds) { return "D:" + QByteArray::number(seconds) + ';'; }
QByteArray NominalVoltage(const QString& volts) { return Typed("V:", volts); }
QByteArray NominalFrequency(int itemIndex) { return itemIndex == 1 ? "F:60.0;" : "F:50.0;"; }

QByteArray VoltageSensing() { return "Z:V;"; }
QByteArray ReferenceImpedance() { return "Z:0.400,0.250;"; }
QByteArray CurrentSensing() { return "Z:I;"; }

}  // namespace Command
