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

void AppendWord(QByteArray& bytes, quint32 value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.append(static_cast<char>((value >> shift) & 0xFF));
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

QByteArray GzipMember(const QByteArray& stream) {
  QByteArray out;
  z_stream zs{};
  // 15 window bits, +16: a gzip member.
  if (deflateInit2(&zs, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return out;
  out.resize(static_cast<qsizetype>(deflateBound(&zs, static_cast<uLong>(stream.size()))));
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.constData()));
  zs.avail_in = static_cast<uInt>(stream.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&zs, Z_FINISH);
  out.resize(result == Z_STREAM_END ? static_cast<qsizetype>(zs.total_out) : 0);
  deflateEnd(&zs);
  return out;
}

RecordingContents DecodeRecording(const QByteArray& stream) { return ReadRecordingBytes(GzipMember(stream)); }

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
