#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>

// Builds analyser record lines the way the analyser lays them out: "!", the
// nineteen common fields separated by "," filling positions 1 to 107 (105 on
// current range "4"), the type letter, the body and a line feed.
struct RecordBuilder {
  QByteArray status = "W     ";
  QByteArray currentRange = "2";
  QByteArray voltageRange = "0";
  QByteArray voltsRms = "V230.1";  // the first character is a prefix
  QByteArray voltsPeak = "325.3";
  QByteArray frequency = "50.00";
  QByteArray peakPhase = "90";
  QByteArray supplyFlags = "0";
  QByteArray ampsRms = "I1.234";  // prefixed
  QByteArray ampsPeak = "2.345";
  QByteArray fundamental = "1.100";
  QByteArray totalHarmonics = "0.456";
  QByteArray watts = "P250.5";  // prefixed
  QByteArray voltAmps = "270.1";
  QByteArray verdict = "0";
  QByteArray classCode = "A";
  QByteArray summary1 = "250.5";
  QByteArray summary2 = "75";

  // The common section, padded in field 1 to its fixed length.
  QByteArray Common() const;
  // A whole line: common section, type letter, body, line feed.
  QByteArray Line(char type, const QByteArray& body = QByteArray()) const;
  // A waveform line whose 301 samples are given (bytes 10 and 33 are the
  // caller's business).
  QByteArray Waveform(char type, const QList<quint8>& samples) const;
};

// The body of a harmonics record after its type letter: the 160 values
// (limit, present, average, maximum; each harmonics 2..40 then "21 - 39")
// joined by "," and padded to the section's 1124 characters, then "R" and
// the verdicts when there are any.
QByteArray HarmonicsBody(const QList<QByteArray>& values, const QByteArray& verdicts = QByteArray());

// The body of a voltage-variation and flicker record after its type letter:
// fields 2 to 67 of the section (field 1 is the type letter itself), those
// not given empty, padded to the section's 1000 characters.
QByteArray FlickerBody(const QMap<int, QByteArray>& fields);
