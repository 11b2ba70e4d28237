#include "input_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QTemporaryDir& Folder() {
  static const std::unique_ptr<QTemporaryDir> folder = [] {
    const QString shm = QStringLiteral("/dev/shm");
    auto made = QFileInfo(shm).isWritable()
                    ? std::make_unique<QTemporaryDir>(shm + QStringLiteral("/veltrix-fuzz-XXXXXX"))
                    : std::make_unique<QTemporaryDir>();
    if (!made->isValid()) made = std::make_unique<QTemporaryDir>();
    if (!made->isValid()) {
      std::fprintf(stderr, "fuzz: no temporary folder\n");
      std::abort();
    }
    return made;
  }();
  return *folder;
}

}  // namespace

QString WriteFuzzInputFile(const std::uint8_t* data, std::size_t size) {
  const QString path = Folder().filePath(QStringLiteral("input"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size)) {
    std::fprintf(stderr, "fuzz: cannot write %s\n", qPrintable(path));
    std::abort();
  }
  return path;
}

QString FuzzScratchFilePath() { return Folder().filePath(QStringLiteral("scratch")); }

void FuzzCheck(bool condition, const char* harness, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "%s harness: %s\n", harness, what);
  std::abort();
}
