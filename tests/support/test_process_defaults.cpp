// Linked into every test executable. A test started by hand, outside CTest,
// runs on the offscreen platform as it does under CTest, unless the caller
// chose a platform. And every test process starts in a working folder of
// its own, so that the files the program keeps there (settings, start-up
// configuration) never come from, or land in, the folder it was started in.
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

#include <memory>

namespace {

void DefaultToOffscreen() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
}

void StartInAFreshWorkingFolder() {
  static std::unique_ptr<QTemporaryDir> folder = std::make_unique<QTemporaryDir>();
  if (folder->isValid()) QDir::setCurrent(folder->path());
}

void PrepareTestProcess() {
  DefaultToOffscreen();
  StartInAFreshWorkingFolder();
}

}  // namespace

Q_CONSTRUCTOR_FUNCTION(PrepareTestProcess)
