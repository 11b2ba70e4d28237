#include "record/recording_format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "persist/working_folder.h"
#include "record/recording_reader.h"

namespace {

constexpr int kEntryHeaderSize = 9;
// No line of the analyser and no state comes near this; a larger length
// is damage, not a reason to allocate.
constexpr quint32 kLargestPayload = 1 << 20;
constexpr char kMagicVersion1[] = "QX7300 Recording 1\n";
const QString kDateTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

void AppendWord(QByteArray& bytes, quint32 value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.append(static_cast<char>((value >> shift) & 0xFF));
}

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

QByteArray EncodeEntry(const RecordingEntry& entry) {
  QByteArray bytes;
  bytes.reserve(kEntryHeaderSize + entry.Payload.size());
  bytes.append(static_cast<char>(entry.Kind));
  AppendWord(bytes, entry.Milliseconds);
  AppendWord(bytes, static_cast<quint32>(entry.Payload.size()));
  bytes.append(entry.Payload);
  return bytes;
}

int RecordingVersionOf(const QByteArray& streamStart) {
  static const QByteArray prefix = QByteArray(kRecordingMagic).chopped(2);  // without "2\n"
  if (!streamStart.startsWith(prefix)) return 0;
  // A few digits and the LF; no version will need more.
  constexpr qsizetype kMostDigits = 6;
  int version = 0;
  for (qsizetype at = prefix.size(); at < streamStart.size() && at <= prefix.size() + kMostDigits; ++at) {
    const char ch = streamStart[at];
    if (ch == '\n') return at > prefix.size() && streamStart[prefix.size()] != '0' ? version : 0;
    if (ch < '0' || ch > '9') return 0;
    version = version * 10 + (ch - '0');
  }
  return 0;
}

void UpgradeEntry(int version, RecordingEntry& entry) {
  if (version != 1) return;
  if (entry.Kind == EntryKind::Received && entry.Payload.endsWith('\n')) entry.Payload.chop(1);
  if (entry.Kind == EntryKind::State) entry.Payload = QString::fromLatin1(entry.Payload).toUtf8();
}

RecordingContents DecodeRecording(const QByteArray& stream) {
  RecordingContents contents;
  const int version = RecordingVersionOf(stream);
  if (version > kRecordingVersion) {
    contents.Problem = QStringLiteral("it was made by a newer Veltrix (recording version %1)").arg(version);
    return contents;
  }
  if (version == 0) {
    const bool started = QByteArray(kRecordingMagic).startsWith(stream) || QByteArray(kMagicVersion1).startsWith(stream);
    contents.Problem = stream.size() < kRecordingMagicLength && started
                           ? QStringLiteral("it ends before its first entry")
                           : QStringLiteral("it is not a QX7300 recording");
    return contents;
  }
  const qsizetype magic = kRecordingMagicLength;
  qsizetype at = magic;
  while (at < stream.size()) {
    if (stream.size() - at < kEntryHeaderSize) {
      contents.Problem = QStringLiteral("it is cut short in entry %1").arg(contents.Entries.size() + 1);
      break;
    }
    const char kind = stream[at];
    const quint32 length = WordAt(stream, at + 5);
    if (!KnownKind(kind) || length > kLargestPayload) {
      contents.Problem = QStringLiteral("entry %1 is damaged").arg(contents.Entries.size() + 1);
      break;
    }
    if (stream.size() - at - kEntryHeaderSize < static_cast<qsizetype>(length)) {
      contents.Problem = QStringLiteral("it is cut short in entry %1").arg(contents.Entries.size() + 1);
      break;
    }
    RecordingEntry entry{static_cast<EntryKind>(kind), WordAt(stream, at + 1),
                         stream.mid(at + kEntryHeaderSize, length)};
    UpgradeEntry(version, entry);
    at += kEntryHeaderSize + length;
    // Times only go forward for whoever plays or seeks: a time before the
    // one before it (a file from elsewhere, damage) reads as that one.
    if (!contents.Entries.isEmpty()) entry.Milliseconds = std::max(entry.Milliseconds, contents.Entries.last().Milliseconds);
    if (entry.Kind == EntryKind::Begin && !contents.Start.isValid()) {
      contents.Start = QDateTime::fromString(QString::fromLatin1(entry.Payload), kDateTimeFormat);
    }
    if (entry.Kind == EntryKind::End) contents.Ended = true;
    contents.Entries.append(std::move(entry));
  }
  if (contents.Problem.isEmpty() && !contents.Start.isValid()) {
    contents.Problem = QStringLiteral("it has no start time");
  }
  return contents;
}

QByteArray InflateGzipMembers(const QByteArray& compressed, QString* problem) {
  QByteArray out;
  z_stream zs{};
  // 15 window bits, +16: gzip members only.
  if (inflateInit2(&zs, 15 + 16) != Z_OK) {
    *problem = QStringLiteral("it cannot be uncompressed");
    return out;
  }
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
  zs.avail_in = static_cast<uInt>(compressed.size());
  char buffer[65536];
  bool inMember = true;
  while (true) {
    zs.next_out = reinterpret_cast<Bytef*>(buffer);
    zs.avail_out = sizeof buffer;
    const int result = inflate(&zs, Z_NO_FLUSH);
    out.append(buffer, static_cast<qsizetype>(sizeof buffer - zs.avail_out));
    if (result == Z_STREAM_END) {
      inMember = false;
      if (zs.avail_in == 0) break;
      inflateReset(&zs);
      inMember = true;
      continue;
    }
    if (result == Z_OK) continue;
    if (result == Z_BUF_ERROR && zs.avail_in == 0) break;  // input used up
    *problem = out.isEmpty() && zs.total_in < 10 ? QStringLiteral("it is not a QX7300 recording")
                                                 : QStringLiteral("it is corrupted after %1 bytes").arg(out.size());
    inMember = false;
    break;
  }
  if (inMember && problem->isEmpty()) {
    *problem = compressed.isEmpty() ? QStringLiteral("it is empty") : QStringLiteral("it is cut short");
  }
  inflateEnd(&zs);
  return out;
}

namespace {

RecordingContents ReadAll(RecordingReader& reader) {
  RecordingContents contents;
  contents.Start = reader.Start();
  RecordingEntry entry;
  while (reader.Next(entry)) contents.Entries.append(entry);
  contents.Problem = reader.Problem();
  contents.Ended = reader.Ended();
  return contents;
}

}  // namespace

RecordingContents ReadRecordingBytes(const QByteArray& compressed) {
  RecordingReader reader(compressed);
  return ReadAll(reader);
}

RecordingContents ReadRecordingFile(const QString& path) {
  RecordingReader reader(path);
  return ReadAll(reader);
}

QString RecordingPathForReport(const QString& reportPath) {
  const QFileInfo report(reportPath);
  const QString name = report.fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const QString base = dot > 0 ? name.left(dot) : name;
  QString recording = base + QLatin1Char('.') + QLatin1String(kRecordingExtension);
  // Never the report itself (a report saved as RUN7.qxr).
  if (recording.compare(name, Qt::CaseInsensitive) == 0) recording = name + QLatin1Char('.') + QLatin1String(kRecordingExtension);
  return PathIgnoringCase(report.dir().filePath(recording));
}
