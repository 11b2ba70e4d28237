#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every file the program writes goes through here. The bytes go to a
// temporary file in the target's folder, which then replaces the target in
// one rename: a save that fails part way leaves the previous file as it was.
// False when the file cannot be created, written or put in place.
bool SaveFileBytes(const QString& path, const QByteArray& bytes);
// The same, with the system's reason on failure; empty on success.
QString SaveFileBytesOrError(const QString& path, const QByteArray& bytes);

// Text lines as the program's files hold them: the single-byte character set
// (Latin-1; a character outside it becomes "?"), every line, the last
// included, ended by CR LF. A line break inside a line would split it and
// shift every line after it, so CR and LF within a line become blanks.
QByteArray TextLinesBytes(const QStringList& lines);

// SaveFileBytes of TextLinesBytes.
bool SaveTextLines(const QString& path, const QStringList& lines);
