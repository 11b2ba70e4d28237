#pragma once

#include <QString>

// The common-section values of the latest record from the analyser, kept as
// the texts received. The initial values are those in force before any
// record has arrived.
struct RecordFields {
  QString StatusCode = QStringLiteral("W");
  QString CurrentRangeCode = QStringLiteral("0");
  QString VoltageRangeCode = QStringLiteral("0");
};
