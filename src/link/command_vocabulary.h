#pragma once

#include <QByteArray>
#include <QString>

// Every command the program sends to the analyser, in one place: letter,
// colon, parameters, semicolon. Typed parameters are sent as the operator
// typed them unless a builder says otherwise.
namespace Command {

QByteArray StartTest();   // "T:S;"
QByteArray AbortTest();   // "T:A;"
QByteArray HoldTest();    // "T:H;"
QByteArray FreeRun();     // "T:F;"
QByteArray TransmitBoxDefault();  // "T:G;", the Settings dialog's hidden box
QByteArray ResetMeter();  // "M:R;"
QByteArray LinkClosing(); // "M:L;", the last command before the port closes

// "Test Method Standard" item 0 (EN61000-4-7 2002) or 1 (EN61000-4-7 1993).
QByteArray HarmonicMethod(int testMethodIndex);
QByteArray TwoHourPlt(bool on);  // "M:F,1;" / "M:F,0;"

QByteArray RequestWaveforms();  // "R:W;"
QByteArray RequestHarmonics();  // "R:H;"
QByteArray RequestFlicker();    // "R:F;"

QByteArray AutoRange();  // "I:U;"
QByteArray LockRange();  // "I:L;"
// "I:" and the range index as one upper-case hexadecimal digit.
QByteArray SelectRange(int rangeIndex);

QByteArray ClassA();
QByteArray ClassB();
QByteArray ClassCAutomatic();  // "K:C,0,0;"
QByteArray ClassC(const QString& amps, const QString& powerFactor);
QByteArray ClassDAutomatic();  // "K:D,0;"
QByteArray ClassD(const QString& watts);
QByteArray Professional(bool professional);  // "E:P;" / "E:S;"
QByteArray NoLimitsBelow(const QString& watts);

// d(max) limit item 0..3: "4%", "5.33%", "6%", "7%".
QByteArray DmaxLimit(int itemIndex);
// d(c) limit trimmed of blanks, then the d(t) criterion of item 0..2.
QByteArray DcAndDtLimits(const QString& dcLimit, int dtItemIndex);

QByteArray Duration(int seconds);  // "D:" in decimal without padding
QByteArray NominalVoltage(const QString& volts);
QByteArray NominalFrequency(int itemIndex);  // "F:50.0;" / "F:60.0;"

QByteArray VoltageSensing();      // "Z:V;"
QByteArray ReferenceImpedance();  // "Z:0.400,0.250;"
QByteArray CurrentSensing();      // "Z:I;"

}  // namespace Command
