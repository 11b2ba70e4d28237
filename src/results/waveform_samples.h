#pragma once

#include <QtGlobal>

#include <array>

// One cycle of the supply voltage and load current as raw sample bytes of
// the waveform records: entries 0..300 are filled, 1..300 drawn.
struct WaveformSamples {
  static constexpr int kEntries = 501;
  static constexpr int kFilled = 301;
  std::array<quint8, kEntries> VoltageSamples{};
  std::array<quint8, kEntries> CurrentSamples{};

  void Clear() { *this = WaveformSamples(); }
};
