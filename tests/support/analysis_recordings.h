#pragma once

#include <QByteArray>
#include <QString>

// Recordings of tests with known failures, for the analysis of a recorded
// test (failure spans, trends, statistics).
//
// Harmonics (EN61000-3-2): fourteen harmonics records a second apart
// (record i at i s), with a waveform record half a second after each; records
// 1 and 2 come before the analyser reports the test running, 3 to 12 while
// it runs, 13 and 14 hold its results. The verdict fails on records 6 and 7
// and from 13 on. Record 11 comes on a milliampere range, its values sent
// in milliamperes.
namespace harmonics_recording {
inline constexpr int kRecords = 14;
inline constexpr int kFirstRunning = 3;
inline constexpr int kLastRunning = 12;
inline constexpr int kMilliampRecord = 11;
// The values of harmonic `order` in record i, in amperes, as sent.
QByteArray Limit(int order, int record);
QByteArray Present(int order, int record);
QByteArray Average(int order, int record);
QByteArray Maximum(int order, int record);
double Amps(const QByteArray& text);
QString Write(const QString& path);
}  // namespace harmonics_recording

// Flicker (EN61000-3-3; d(max) limit "6%", d(t) "3.0% for 200 ms", d(c)
// 3.3, two-hour Plt): eight voltage-variation and flicker records a second
// apart. Pst of interval 1 goes over 1.0 on records 3 and 4 and on record 8
// (the last); the analyser fails d(max) on record 6.
namespace flicker_recording {
inline constexpr int kRecords = 8;
QByteArray Pst(int record);
QByteArray Dmax(int record);
// The test's options, and the Plt every record reads.
struct Options {
  bool twoHourPlt = true;
  bool flicker = true;
  QByteArray plt = "0.40";
};
QString Write(const QString& path, const Options& options = {});
}  // namespace flicker_recording
