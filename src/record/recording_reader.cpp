#include "record/recording_reader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <zlib.h>

#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr qsizetype kEntryHeaderSize = 9;
constexpr qint64 kInputChunk = 64 * 1024;
constexpr qsizetype kOutputChunk = 64 * 1024;
// No line of the analyser and no state comes near this; a larger length
// is damage, not a reason to allocate.
constexpr quint32 kLargestPayload = 1 << 20;
const QString kDateTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

quint32 WordAt(const QByteArray& bytes, qsizetype at) {
  quint32 value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<quint8>(bytes[at + i]);
  return value;
}

bool KnownKind(char kind) {
  switch (static_cast<EntryKind>(kind)) {
    case EntryKind::Begin:
    case EntryKind::State:
    case EntryKind::Received:
    case EntryKind::Sent:
    case EntryKind::Action:
    case EntryKind::End:
      return true;
  }
  return false;
}

}  // namespace

struct RecordingReader::Inflater {
  z_stream stream{};
  bool initialised = false;
  bool inMember = true;  // a gzip member is begun and not yet ended
  qint64 taken = 0;      // compressed bytes handed to zlib

  ~Inflater() {
    if (initialised) inflateEnd(&stream);
  }
};

class RecordingReader::Mark {
 public:
  ~Mark() { inflateEnd(&stream); }

  // zlib copies from a stream it does not change, but takes no const one.
  mutable z_stream stream{};
  bool inMember = true;
  qint64 consumed = 0;
  QByteArray output;
  quint64 uncompressed = 0;
  qsizetype entriesRead = 0;
  quint32 lastMilliseconds = 0;
  bool ended = false;
};

RecordingReader::RecordingReader(const QString& path)
    : name_(QFileInfo(path).fileName()), device_(std::make_unique<QFile>(path)) {
  Open();
}

RecordingReader::RecordingReader(const QByteArray& compressed) : device_(std::make_unique<QBuffer>()) {
  static_cast<QBuffer*>(device_.get())->setData(compressed);
  Open();
}

RecordingReader::~RecordingReader() = default;

void RecordingReader::Open() {
  inflater_ = std::make_unique<Inflater>();
  if (!device_->open(QIODevice::ReadOnly)) {
    Fail(device_->errorString());
    return;
  }
  // 15 window bits, +16: gzip members only.
  if (inflateInit2(&inflater_->stream, 15 + 16) != Z_OK) {
    Fail(QStringLiteral("it cannot be uncompressed"));
    return;
  }
  inflater_->initialised = true;
  if (!Ready(kRecordingMagicLength)) {
    const QByteArray begun = output_.mid(outputAt_);
    Fail(QByteArray(kRecordingMagic).startsWith(begun) ? QStringLiteral("it ends before its first entry")
                                                       : QStringLiteral("it is not a QX7300 recording"));
    return;
  }
  // A later version's number may be longer: what is there is looked at.
  Ready(kRecordingMagicLength + 8);
  version_ = RecordingVersionOf(output_.mid(outputAt_, kRecordingMagicLength + 8));
  if (version_ == 0 || version_ > kRecordingVersion) {
    // What uncompresses into something else is no recording, damaged or not.
    inflateProblem_.clear();
    Fail(version_ == 0 ? QStringLiteral("it is not a QX7300 recording")
                       : QStringLiteral("it was made by a newer Veltrix (recording version %1)").arg(version_));
    return;
  }
  outputAt_ += kRecordingMagicLength;
  if (!ReadEntry(first_)) {
    if (problem_.isEmpty()) Fail(QStringLiteral("it has no start time"));
    return;
  }
  if (first_.Kind != EntryKind::Begin) {
    Fail(QStringLiteral("it has no start time"));
    return;
  }
  start_ = QDateTime::fromString(QString::fromLatin1(first_.Payload), kDateTimeFormat);
  if (!start_.isValid()) {
    Fail(QStringLiteral("it has no start time"));
    return;
  }
  firstHeld_ = true;
}

void RecordingReader::Fail(const QString& problem) {
  failed_ = true;
  // Damage to the compression explains a recording that stops short.
  const QString what = inflateProblem_.isEmpty() ? problem : inflateProblem_;
  problem_ = name_.isEmpty() ? what : QStringLiteral("%1: %2").arg(name_, what);
}

bool RecordingReader::Inflate() {
  Inflater& in = *inflater_;
  z_stream& zs = in.stream;
  if (zs.avail_in == 0 && !inputEnded_) {
    input_.resize(kInputChunk);
    const qint64 got = device_->read(input_.data(), kInputChunk);
    if (got <= 0) {
      inputEnded_ = true;
      input_.clear();
    } else {
      input_.resize(got);
      zs.next_in = reinterpret_cast<Bytef*>(input_.data());
      zs.avail_in = static_cast<uInt>(got);
      in.taken += got;
    }
  }
  if (zs.avail_in == 0 && inputEnded_) {
    streamEnded_ = true;
    if (in.inMember && in.taken == 0) {
      inflateProblem_ = QStringLiteral("it is empty");
    } else if (in.inMember) {
      stillBeingRecorded_ = BeingWritten();
      inflateProblem_ = stillBeingRecorded_ ? QStringLiteral("it is still being recorded") : QStringLiteral("it is cut short");
    }
    return false;
  }
  if (!in.inMember) {
    // More bytes after a whole member: the next member.
    inflateReset(&zs);
    in.inMember = true;
  }
  // What was read is dropped once it is well behind.
  if (outputAt_ >= kOutputChunk) {
    output_.remove(0, outputAt_);
    outputAt_ = 0;
  }
  const qsizetype before = output_.size();
  output_.resize(before + kOutputChunk);
  zs.next_out = reinterpret_cast<Bytef*>(output_.data() + before);
  zs.avail_out = static_cast<uInt>(kOutputChunk);
  const int result = inflate(&zs, Z_NO_FLUSH);
  const qsizetype produced = kOutputChunk - static_cast<qsizetype>(zs.avail_out);
  output_.resize(before + produced);
  uncompressed_ += static_cast<quint64>(produced);
  if (result == Z_STREAM_END) {
    in.inMember = false;
    return true;
  }
  if (result == Z_OK || (result == Z_BUF_ERROR && zs.avail_in == 0)) return true;
  streamEnded_ = true;
  inflateProblem_ = uncompressed_ == 0 && zs.total_in < 10
                        ? QStringLiteral("it is not a QX7300 recording")
                        : QStringLiteral("it is corrupted after %1 bytes").arg(uncompressed_);
  return false;
}

bool RecordingReader::Ready(qsizetype bytes) {
  while (output_.size() - outputAt_ < bytes) {
    if (streamEnded_ || !Inflate()) {
      if (streamEnded_ && output_.size() - outputAt_ < bytes) return false;
    }
  }
  return true;
}

bool RecordingReader::ReadEntry(RecordingEntry& entry) {
  if (failed_) return false;
  const QString where = QString::number(entriesRead_ + 1);
  if (!Ready(kEntryHeaderSize)) {
    if (output_.size() == outputAt_ && inflateProblem_.isEmpty()) return false;  // the end
    Fail(QStringLiteral("it is cut short in entry %1").arg(where));
    return false;
  }
  const char kind = output_[outputAt_];
  const quint32 length = WordAt(output_, outputAt_ + 5);
  if (!KnownKind(kind) || length > kLargestPayload) {
    Fail(QStringLiteral("entry %1 is damaged").arg(where));
    return false;
  }
  if (!Ready(kEntryHeaderSize + length)) {
    Fail(QStringLiteral("it is cut short in entry %1").arg(where));
    return false;
  }
  entry.Kind = static_cast<EntryKind>(kind);
  // Times only go forward for whoever plays or seeks: a time before the
  // one before it (a file from elsewhere, damage) reads as that one.
  entry.Milliseconds = std::max(WordAt(output_, outputAt_ + 1), lastMilliseconds_);
  lastMilliseconds_ = entry.Milliseconds;
  entry.Payload = output_.mid(outputAt_ + kEntryHeaderSize, length);
  outputAt_ += kEntryHeaderSize + length;
  UpgradeEntry(version_, entry);
  ++entriesRead_;
  if (entry.Kind == EntryKind::End) ended_ = true;
  return true;
}

bool RecordingReader::Next(RecordingEntry& entry) {
  if (firstHeld_) {
    firstHeld_ = false;
    entry = first_;
    return true;
  }
  return ReadEntry(entry);
}

bool RecordingReader::BeingWritten() const {
  const auto* file = qobject_cast<const QFile*>(device_.get());
  if (file == nullptr || file->handle() < 0) return false;
  // A shared hold is refused while the writer holds the file.
  if (::flock(file->handle(), LOCK_SH | LOCK_NB) == 0) {
    ::flock(file->handle(), LOCK_UN);
    return false;
  }
  return errno == EWOULDBLOCK;
}

double RecordingReader::Progress() const {
  const qint64 size = device_->size();
  if (size <= 0) return 1.0;
  return static_cast<double>(inflater_->taken - inflater_->stream.avail_in) / static_cast<double>(size);
}

std::shared_ptr<const RecordingReader::Mark> RecordingReader::Here() const {
  auto mark = std::make_shared<Mark>();
  if (!inflater_->initialised || failed_ || inflateCopy(&mark->stream, &inflater_->stream) != Z_OK) return nullptr;
  mark->inMember = inflater_->inMember;
  mark->consumed = inflater_->taken - inflater_->stream.avail_in;
  mark->output = output_.mid(outputAt_);
  mark->uncompressed = uncompressed_;
  mark->entriesRead = entriesRead_ - (firstHeld_ ? 1 : 0);
  mark->ended = ended_;
  mark->lastMilliseconds = firstHeld_ ? 0 : lastMilliseconds_;
  if (firstHeld_) mark->output.prepend(EncodeEntry(first_));
  return mark;
}

void RecordingReader::Return(const Mark& mark) {
  Inflater& in = *inflater_;
  inflateEnd(&in.stream);
  in.stream = z_stream{};
  in.initialised = inflateCopy(&in.stream, &mark.stream) == Z_OK;
  in.stream.next_in = nullptr;
  in.stream.avail_in = 0;
  in.inMember = mark.inMember;
  in.taken = mark.consumed;
  device_->seek(mark.consumed);
  input_.clear();
  output_ = mark.output;
  outputAt_ = 0;
  uncompressed_ = mark.uncompressed;
  entriesRead_ = mark.entriesRead;
  ended_ = mark.ended;
  lastMilliseconds_ = mark.lastMilliseconds;
  inputEnded_ = false;
  streamEnded_ = false;
  inflateProblem_.clear();
  problem_.clear();
  stillBeingRecorded_ = false;
  failed_ = !in.initialised;
  firstHeld_ = false;
}
