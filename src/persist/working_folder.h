#pragma once

#include <QString>

// The working folder is the process's current folder. The program's own
// file names are matched there without regard to letter case, so
// "QX7300.ini" and "QX7300.INI" name one file: see PathIgnoringCase.
QString WorkingFolderPath(const QString& fileName);

// The path of the existing file whose name matches the last part of `path`
// ignoring letter case, in the same folder, or `path` as given when none
// does. Every spelling of a name finds the same file, also when a folder
// holds several names that differ only in letter case (the first of them
// in code-point order), so "Startup.hac" read at start-up and "startup.HAC"
// written later are always one file.
QString PathIgnoringCase(const QString& path);
