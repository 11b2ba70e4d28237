#include "app/csv_export.h"

#include <QDir>

#include "app/operator_dialogs.h"
#include "persist/safe_file_writer.h"

bool ExportCsvLines(OperatorDialogs& dialogs, const QString& title, const QStringList& lines) {
  const QString path = dialogs.SaveFileName(
      {title, QStringLiteral("Comma Separated Files|*.CSV"), QStringLiteral("CSV"), QDir::currentPath(), true});
  if (path.isEmpty()) return false;
  const QString error = SaveFileBytesOrError(path, TextLinesBytes(lines));
  if (error.isEmpty()) return true;
  dialogs.ShowError(error);
  return false;
}
