#pragma once

#include <QtGlobal>

#include <cstddef>
#include <span>
#include <vector>

// A fixed-size byte ring with a read index, a write index and a Full flag:
// equal indexes mean empty unless Full is set. Not thread-safe; the owner
// guards it. One producer may fill the span from WritableRun() without the
// lock while the consumer only moves the read index, because the writable run
// can only grow under the consumer.
class TByteRing {
public:
  explicit TByteRing(std::size_t capacity = 0);

  // Allocates the storage anew and empties the ring.
  void Reset(std::size_t capacity);
  void Clear();

  std::size_t Capacity() const { return buffer_.size(); }
  std::size_t Count() const;
  std::size_t Free() const { return Capacity() - Count(); }
  bool Empty() const { return !full_ && readIndex_ == writeIndex_; }
  bool Full() const { return full_; }
  std::size_t ReadIndex() const { return readIndex_; }
  std::size_t WriteIndex() const { return writeIndex_; }

  // The contiguous free bytes at the write index (up to the ring's end).
  std::span<quint8> WritableRun();
  // Marks n bytes of the writable run as filled.
  void CommitWrite(std::size_t n);

  // The contiguous unread bytes at the read index (up to the ring's end).
  std::span<const quint8> ReadableRun() const;
  // Releases n unread bytes; clears Full when n > 0.
  void CommitRead(std::size_t n);

  // The byte `offset` places after the read index; offset < Count().
  quint8 PeekAt(std::size_t offset) const;

  // Copies all of data in, in up to two pieces, or nothing when it does not fit.
  bool Put(std::span<const quint8> data);

private:
  std::vector<quint8> buffer_;
  std::size_t readIndex_ = 0;
  std::size_t writeIndex_ = 0;
  bool full_ = false;
};
