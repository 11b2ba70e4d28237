#pragma once

#include <QtGlobal>

#include <vector>

// Several series sampled together over a test (one sample a record), kept
// in a bounded number of time buckets whatever the test's length: while
// there is room each record has a bucket of its own; when the buckets are
// full, neighbours are merged pairwise and each bucket from then on takes
// twice as many records. The series of one group share their buckets.
struct TrendBucket {
  quint32 begin = 0;    // time of its first record, ms since the recording began
  quint32 end = 0;      // time of its last record
  quint32 records = 0;
};

// One series over one bucket: what its records carried. `values` 0: none
// of them had a value for the series (the rest is meaningless).
struct TrendRange {
  float minimum = 0;
  float maximum = 0;
  float last = 0;
  quint32 values = 0;
};

class TrendBuckets {
 public:
  static constexpr int kDefaultCapacity = 2000;

  // `capacity` is rounded up to an even number, at least 2.
  explicit TrendBuckets(int series, int capacity = kDefaultCapacity);

  // One record's sample: a value per series, NaN where it had none.
  void Add(quint32 milliseconds, const std::vector<float>& values);

  int Series() const { return series_; }
  int Count() const { return static_cast<int>(buckets_.size()); }
  const TrendBucket& Bucket(int index) const { return buckets_[static_cast<size_t>(index)]; }
  const TrendRange& Range(int series, int bucket) const {
    return ranges_[static_cast<size_t>(bucket) * static_cast<size_t>(series_) + static_cast<size_t>(series)];
  }

 private:
  void MergePairs();

  int series_;
  int capacity_;
  quint32 recordsPerBucket_ = 1;
  std::vector<TrendBucket> buckets_;
  std::vector<TrendRange> ranges_;  // bucket by bucket, series_ each
};
