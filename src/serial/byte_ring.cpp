#include "serial/byte_ring.h"

#include <algorithm>
#include <cstring>

TByteRing::TByteRing(std::size_t capacity) { Reset(capacity); }

void TByteRing::Reset(std::size_t capacity) {
  buffer_.assign(capacity, 0);
  Clear();
}

void TByteRing::Clear() {
  readIndex_ = 0;
  writeIndex_ = 0;
  full_ = false;
}

std::size_t TByteRing::Count() const {
  if (full_)
    return Capacity();
  if (writeIndex_ >= readIndex_)
    return writeIndex_ - readIndex_;
  return Capacity() - readIndex_ + writeIndex_;
}

std::span<quint8> TByteRing::WritableRun() {
  if (full_ || buffer_.empty())
    return {};
  const std::size_t end = writeIndex_ >= readIndex_ ? Capacity() : readIndex_;
  return {buffer_.data() + writeIndex_, end - writeIndex_};
}

void TByteRing::CommitWrite(std::size_t n) {
  if (n == 0)
    return;
  writeIndex_ = (writeIndex_ + n) % Capacity();
  if (writeIndex_ == readIndex_)
    full_ = true;
}

std::span<const quint8> TByteRing::ReadableRun() const {
  if (Empty())
    return {};
  const std::size_t end = readIndex_ < writeIndex_ ? writeIndex_ : Capacity();
  return {buffer_.data() + readIndex_, end - readIndex_};
}

void TByteRing::CommitRead(std::size_t n) {
  n = std::min(n, Count());
  if (n == 0)
    return;
  readIndex_ = (readIndex_ + n) % Capacity();
  full_ = false;
}

quint8 TByteRing::PeekAt(std::size_t offset) const {
  return buffer_[(readIndex_ + offset) % Capacity()];
}

bool TByteRing::Put(std::span<const quint8> data) {
  if (data.size() > Free())
    return false;
  while (!data.empty()) {
    std::span<quint8> run = WritableRun();
    const std::size_t piece = std::min(run.size(), data.size());
    std::memcpy(run.data(), data.data(), piece);
    CommitWrite(piece);
    data = data.subspan(piece);
  }
  return true;
}
