#pragma once

#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

// One harmonic order over a test: its current's smallest, mean and largest
// value, its 95th percentile, the limit in force at its last record and the
// smallest margin to the limit any record left.
struct HarmonicStatistic {
  int order = 0;
  quint32 records = 0;
  double minimum = 0;
  double mean = 0;
  double maximum = 0;
  // Within kPercentileResolution / 2 of the value (relative); a value at or
  // below kPercentileFloor reads as the minimum.
  double percentile95 = 0;
  double limit = 0;
  // 100 (limit - value) / limit, the least over the records with a limit;
  // negative: the current went over its limit. nullopt: no record had one.
  std::optional<double> leastMargin;
};

// Streaming statistics of the harmonic currents 2 to 40: memory stays the
// same however many records come. The 95th percentile (nearest rank) is
// read from fixed logarithmic bins of kPercentileResolution relative width
// between kPercentileFloor and kPercentileCeiling amperes.
class HarmonicStatistics {
 public:
  static constexpr int kFirstOrder = 2;
  static constexpr int kLastOrder = 40;
  static constexpr double kPercentileResolution = 0.0025;  // 0.25 % of the value
  static constexpr double kPercentileFloor = 1e-5;         // A
  static constexpr double kPercentileCeiling = 1e3;        // A

  // One record's current of `order`, and its limit (0: none), in amperes.
  void Add(int order, double amps, double limitAmps);
  HarmonicStatistic Of(int order) const;
  // The orders that had records, lowest first.
  std::vector<HarmonicStatistic> Orders() const;

 private:
  struct Accumulator {
    quint32 count = 0;
    double sum = 0;
    double minimum = 0;
    double maximum = 0;
    double limit = 0;
    std::optional<double> leastMargin;
    std::vector<quint32> bins;  // made at the first record
  };
  std::array<Accumulator, kLastOrder - kFirstOrder + 1> orders_;
};
