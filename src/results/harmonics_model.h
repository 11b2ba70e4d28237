#pragma once

#include <QString>

#include <array>

// The latest harmonic results the analyser sent: four tables (1 limit,
// 2 present filtered value, 3 average, 4 maximum) indexed 1 = fundamental,
// 2..40 = harmonic order, 41 = the "21 - 39" figure (42..44 unused), and one
// verdict per index (1 pass, 0 not assessed, 255 fail). Index 0 of every
// dimension is unused so the indices read as the analyser numbers them.
struct HarmonicsModel {
  static constexpr int kTables = 4;
  static constexpr int kEntries = 44;

  std::array<std::array<float, kEntries + 1>, kTables + 1> HarmonicValue{};
  std::array<std::array<QString, kEntries + 1>, kTables + 1> HarmonicText{};
  std::array<quint8, kEntries + 1> HarmonicVerdict{};

  // Texts empty, numbers 0, verdicts 0.
  void Clear() { *this = HarmonicsModel(); }
};
