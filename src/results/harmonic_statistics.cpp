#include "results/harmonic_statistics.h"

#include <algorithm>
#include <cmath>

namespace {

const double kBinLog = std::log1p(HarmonicStatistics::kPercentileResolution);
// Bin 0 holds what is at or below the floor, the last bin what is above the
// ceiling; bin k between holds [floor f^(k-1), floor f^k).
const int kBins = static_cast<int>(std::ceil(
                      std::log(HarmonicStatistics::kPercentileCeiling / HarmonicStatistics::kPercentileFloor) / kBinLog)) +
                  2;

int BinOf(double amps) {
  if (!(amps > HarmonicStatistics::kPercentileFloor)) return 0;
  const double k = std::floor(std::log(amps / HarmonicStatistics::kPercentileFloor) / kBinLog) + 1;
  return static_cast<int>(std::min<double>(k, kBins - 1));
}

// The geometric middle of bin k; 0 for the bin at or below the floor.
double MiddleOf(int bin) {
  if (bin == 0) return 0;
  return HarmonicStatistics::kPercentileFloor * std::exp((bin - 0.5) * kBinLog);
}

}  // namespace

void HarmonicStatistics::Add(int order, double amps, double limitAmps) {
  if (order < kFirstOrder || order > kLastOrder) return;
  Accumulator& a = orders_[static_cast<size_t>(order - kFirstOrder)];
  if (a.count == 0) {
    a.minimum = a.maximum = amps;
    a.bins.assign(static_cast<size_t>(kBins), 0);
  }
  ++a.count;
  a.sum += amps;
  a.minimum = std::min(a.minimum, amps);
  a.maximum = std::max(a.maximum, amps);
  a.limit = limitAmps;
  if (limitAmps > 0) {
    const double margin = 100.0 * (limitAmps - amps) / limitAmps;
    a.leastMargin = a.leastMargin ? std::min(*a.leastMargin, margin) : margin;
  }
  ++a.bins[static_cast<size_t>(BinOf(amps))];
}

HarmonicStatistic HarmonicStatistics::Of(int order) const {
  HarmonicStatistic s;
  s.order = order;
  if (order < kFirstOrder || order > kLastOrder) return s;
  const Accumulator& a = orders_[static_cast<size_t>(order - kFirstOrder)];
  if (a.count == 0) return s;
  s.records = a.count;
  s.minimum = a.minimum;
  s.maximum = a.maximum;
  s.mean = a.sum / a.count;
  s.limit = a.limit;
  s.leastMargin = a.leastMargin;
  // Nearest rank: the smallest value that at least 95 % of the records reach.
  const auto rank = static_cast<quint64>(std::ceil(0.95 * a.count));
  quint64 seen = 0;
  for (size_t k = 0; k < a.bins.size(); ++k) {
    seen += a.bins[k];
    if (seen < rank) continue;
    s.percentile95 = std::clamp(MiddleOf(static_cast<int>(k)), a.minimum, a.maximum);
    break;
  }
  return s;
}

std::vector<HarmonicStatistic> HarmonicStatistics::Orders() const {
  std::vector<HarmonicStatistic> all;
  for (int order = kFirstOrder; order <= kLastOrder; ++order) {
    if (orders_[static_cast<size_t>(order - kFirstOrder)].count > 0) all.push_back(Of(order));
  }
  return all;
}
