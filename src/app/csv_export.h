#pragma once

#include <QString>
#include <QStringList>

class OperatorDialogs;

// "Export CSV..." of the analysis views: the file name is asked for (the
// dialog opens in the working folder), the lines are saved with the
// program's line ends, and a failed save is shown in an error box. False
// when nothing was saved.
bool ExportCsvLines(OperatorDialogs& dialogs, const QString& title, const QStringList& lines);
