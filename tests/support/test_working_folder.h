#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary working folder made the process's current folder for the
// object's life, optionally holding the harmonics table's mark bitmaps as
// the program's working folder does.
class TestWorkingFolder {
 public:
  enum class Marks { Without, With };
  explicit TestWorkingFolder(Marks marks = Marks::With);
  ~TestWorkingFolder();
  TestWorkingFolder(const TestWorkingFolder&) = delete;
  TestWorkingFolder& operator=(const TestWorkingFolder&) = delete;

  bool Valid() const { return folder_.isValid(); }
  QString Path() const { return folder_.path(); }
  QString FilePath(const QString& name) const { return folder_.filePath(name); }

 private:
  QTemporaryDir folder_;
  QString previous_;
};

// A file of the source tree, found from where the tests were built, so a
// test executable runs the same inside and outside CTest.
QString SourceFilePath(const QString& relative);

// The bytes of a file; empty when it cannot be read.
QByteArray FileBytes(const QString& path);

// The recordings a test made in `folder`, copied to the folder
// VELTRIX_KEEP_RECORDINGS names (for bench/rebuild_oracle); nothing when it
// is not set.
void KeepRecordings(const QString& folder);

// Copies tick.bmp, cross.bmp and fill.bmp from the source tree's resources.
void CopyMarkBitmaps(const QString& folder);
