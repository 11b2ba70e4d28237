#pragma once

#include <QString>

// The common-section values of the latest record from the analyser, kept as
// the texts received. The initial values are those in force before any
// record has arrived.
struct RecordFields {
  QString StatusCode = QStringLiteral("W");
  QString CurrentRangeCode = QStringLiteral("0");
  QString VoltageRangeCode = QStringLiteral("0");
  QString VoltsRms;
  QString VoltsPeak;
  QString Frequency;
  QString PeakPhase;
  QString AmpsRms;
  QString AmpsPeak;
  QString FundamentalAmps;
  QString TotalHarmonics;
  QString Watts;
  QString VoltAmps;
  // The assessment fields of the harmonics summary.
  int SupplyCheckFlags = 0;
  QString HarmonicsVerdict;
  QString ClassCode;
};

// The first character of a code, or NUL for an empty one.
inline char FirstChar(const QString& code) {
  return code.isEmpty() ? '\0' : code.at(0).toLatin1();
}
