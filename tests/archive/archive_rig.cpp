#include "archive/archive_rig.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QtTest>

#include "app/qx7300main.h"
#include "archive/archive_database.h"
#include "archive/archive_store.h"
#include "support/record_builder.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

void RunHarmonicsTest(TWindowRig& rig, const QString& equipment, const QString& serial, const QList<int>& failing) {
  rig.Select(0);
  rig.Ui().Edit8->setText(equipment);
  rig.Ui().Edit9->setText(serial);
  rig.Ui().Edit10->setText(QStringLiteral("A. Tester"));
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  QByteArray verdicts(39, '0');
  for (int order : failing) verdicts[order - 2] = '1';
  RecordBuilder record;
  record.verdict = failing.isEmpty() ? "0" : "1";
  for (const char* status : {"T   05", "Q     ", "Q     "}) {
    record.status = status;
    QVERIFY(rig.Window().ProcessLine(record.Line('L', HarmonicsBody(QList<QByteArray>(160, "1.500"), verdicts))));
  }
  rig.Sent();
}

QList<ArchiveEntry> ArchivedTests(const QString& folder) {
  const QString path = QDir(folder).filePath(QString::fromLatin1(kStationArchiveName));
  if (!QFileInfo(path).isFile()) return {};
  QList<ArchiveEntry> entries;
  {
    QString error;
    QSqlDatabase db = OpenStationArchive(path, QStringLiteral("archive-rig"), &error);
    if (db.isOpen()) entries = ListEntries(db, {}, &error);
    if (!error.isEmpty()) qWarning("%s", qPrintable(error));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("archive-rig"));
  return entries;
}

QStringList FileRoles(const ArchiveEntry& entry) {
  QStringList roles;
  for (const ArchiveFile& file : entry.files) roles << file.role + QLatin1Char('=') + QFileInfo(file.path).fileName();
  roles.sort();
  return roles;
}
