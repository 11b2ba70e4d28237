#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "archive/archive_entry.h"

// The archive's entry of a saved text report, from what its text holds:
// its number, start, length, identification, standard and the verdicts of
// its rows; the class or flicker options from the set-up saved beside it
// when there is one. Its identity comes from the report's bytes, so the
// same report gives the same entry wherever it is found. nullopt, with
// `*why` set, when the text is not a report this program wrote.
std::optional<ArchiveEntry> EntryFromReportText(const QByteArray& report, const std::optional<QByteArray>& setup,
                                                QString* why);

// The identity of a test known only by its report's bytes.
QString ReportIdentity(const QByteArray& report);
