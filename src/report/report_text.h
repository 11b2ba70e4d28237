#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "link/meter_extremes.h"
#include "report/report_store.h"

// Everything the report header and body head print, taken from the main
// window at the moment of the build. Texts are as the window shows them;
// the builders trim where the report asks for it.
struct ReportSnapshot {
  // Identification.
  qint32 ReportCounter = 0;
  QDateTime TestStartTime;
  QString TimedTestDuration;   // the "Timed Test Duration" text, printed untrimmed
  QString EquipmentUnderTest;  // "Equipment under Test"
  QString SerialNumber;        // "Serial Number"
  QString TestedBy;            // "Tested by"
  bool ManualSwitching = false;  // the "Manual Switching" test type is chosen
  int Measurement = 0;           // index in the "Measurement" list: 0 harmonics, 1 flicker

  // Meter panel.
  MeterExtremes Extremes;
  QString CurrentRangeCode;    // as received; its first character picks the units
  QString VoltAmps;            // the VA reading
  QString PowerFactor;         // the power factor reading
  QString CurrentCrestFactor;  // the current crest factor reading

  // Harmonics settings and summary panel.
  QString TestMethodStandard;  // text of the "Test Method Standard" list
  bool Professional = false;   // "Professional" is checked
  QStringList SummaryMemo;     // the supply check memo, line by line
  QString ClassCode;           // as received; its first character picks the limits text
  QString ClassVerdict;        // first classification line, e.g. "Class C."
  QString ClassReason;         // second classification line, e.g. "below minimum threshold."
  QString SummaryValue1;       // value of summary row 1, e.g. "0.51 A"
  QString SummaryValue2;       // value of summary row 2, e.g. "0.95"
};

// Index of the first line the receive side may write after each body head.
inline constexpr int kHarmonicsBodyStart = 18;
inline constexpr int kFlickerBodyStart = 10;

// Line count 0, every line of both forms emptied, then BuildReport. The body
// start index stays.
void ClearReport(const ReportSnapshot& snapshot, ReportStore& report);

// The header, then the body head of the chosen standard (none for another
// index). Lines past the body head are left alone, so result rows already
// written survive a rebuild.
void BuildReport(const ReportSnapshot& snapshot, ReportStore& report);

// Lines 0 to 6 of both forms.
void BuildReportHeader(const ReportSnapshot& snapshot, ReportStore& report);

// Lines 7 to 17 of both forms; body start and line count 18.
void BuildHarmonicsReportBody(const ReportSnapshot& snapshot, ReportStore& report);

// Lines 7 to 9 of both forms; body start and line count 10.
void BuildFlickerReportBody(const ReportSnapshot& snapshot, ReportStore& report);

// "Load Current   : " with the rms and peak currents in the units of the
// current range, then the crest factor.
QString LoadCurrentLine(const ReportSnapshot& snapshot);

// The supply check memo as one sentence ending in ".", e.g. "Supply Fails :
// Harmonic Requirements,Voltage Limits and Frequency Limits."
QString SummaryLine(const QStringList& memo);

// The same memo for the CSV report: a lone line as it is, several lines
// each after a comma.
QString SummaryCsvLine(const QStringList& memo);
