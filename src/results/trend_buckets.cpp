#include "results/trend_buckets.h"

#include <algorithm>
#include <cmath>

namespace {

// `into` followed by `later`.
void Merge(TrendRange& into, const TrendRange& later) {
  if (later.values == 0) return;
  if (into.values == 0) {
    into = later;
    return;
  }
  into.minimum = std::min(into.minimum, later.minimum);
  into.maximum = std::max(into.maximum, later.maximum);
  into.last = later.last;
  into.values += later.values;
}

}  // namespace

TrendBuckets::TrendBuckets(int series, int capacity)
    : series_(std::max(series, 1)), capacity_(std::max(2, capacity + capacity % 2)) {}

void TrendBuckets::Add(quint32 milliseconds, const std::vector<float>& values) {
  if (buckets_.empty() || buckets_.back().records >= recordsPerBucket_) {
    if (static_cast<int>(buckets_.size()) == capacity_) MergePairs();
    buckets_.push_back({milliseconds, milliseconds, 0});
    ranges_.resize(ranges_.size() + static_cast<size_t>(series_));
  }
  TrendBucket& bucket = buckets_.back();
  bucket.end = milliseconds;
  ++bucket.records;
  TrendRange* ranges = &ranges_[ranges_.size() - static_cast<size_t>(series_)];
  const int given = std::min(series_, static_cast<int>(values.size()));
  for (int s = 0; s < given; ++s) {
    const float value = values[static_cast<size_t>(s)];
    if (std::isnan(value)) continue;
    Merge(ranges[s], TrendRange{value, value, value, 1});
  }
}

void TrendBuckets::MergePairs() {
  const size_t pairs = buckets_.size() / 2;
  const auto series = static_cast<size_t>(series_);
  for (size_t i = 0; i < pairs; ++i) {
    const TrendBucket& first = buckets_[2 * i];
    const TrendBucket& second = buckets_[2 * i + 1];
    buckets_[i] = {first.begin, second.end, first.records + second.records};
    for (size_t s = 0; s < series; ++s) {
      TrendRange merged = ranges_[2 * i * series + s];
      Merge(merged, ranges_[(2 * i + 1) * series + s]);
      ranges_[i * series + s] = merged;
    }
  }
  buckets_.resize(pairs);
  ranges_.resize(pairs * series);
  recordsPerBucket_ *= 2;
}
