#pragma once

#include <QByteArray>

#include "results/harmonics_model.h"

// Reads a harmonics record ("L") into the model: the 160 values of the
// section at positions 108 to 1231 (four groups of 40: harmonics 2..40 and
// the "21 - 39" figure, for limit, present, average and maximum) and, after
// an "R" at position 1232, one verdict per harmonic 2..40.
//
// A line shorter than 1232 characters leaves the tables as they are. Returns
// false when the line's processing must stop: a value without its separator
// inside the section, an empty value, or a verdict position past the end of
// the line. What was read before that point is kept.
bool ReadHarmonicsRecord(const QByteArray& line, HarmonicsModel& model);
// Whether ReadHarmonicsRecord would read the line whole, without reading it.
bool HarmonicsRecordReadsWhole(const QByteArray& line);

// A record that reads whole, read in its two parts, for a reader that takes
// the tables only once they are looked at: the tables of a whole record are
// all written again by the next whole one.
bool HarmonicsRecordHasTables(const QByteArray& line);
void ReadHarmonicVerdicts(const QByteArray& line, HarmonicsModel& model);
void ReadHarmonicTables(const QByteArray& line, HarmonicsModel& model);
