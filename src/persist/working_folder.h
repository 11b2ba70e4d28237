#pragma once

#include <QString>

// The working folder is the process's current folder. The program's own
// file names are matched there without regard to letter case, so
// "QX7300.ini" and "QX7300.INI" name one file: the path of an existing entry
// whose name matches is returned, or the name as given when none does.
QString WorkingFolderPath(const QString& fileName);
