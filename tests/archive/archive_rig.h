#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "archive/archive_entry.h"

class TWindowRig;

// A harmonics test of the window run from its start to its held results,
// the test identified as given; each order of `failing` (2 to 40) over its
// limit, the test failed when any is.
void RunHarmonicsTest(TWindowRig& rig, const QString& equipment, const QString& serial, const QList<int>& failing);

// The tests filed in the archive of `folder`, newest first, read through a
// connection of their own; empty when there is no archive file.
QList<ArchiveEntry> ArchivedTests(const QString& folder);

// The entry's files by role: "role=file name", sorted.
QStringList FileRoles(const ArchiveEntry& entry);
