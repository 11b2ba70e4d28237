#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a baseline or progressive JPEG with libjpeg. Any fault in the data
// (truncated, corrupt, not a JPEG at all, an unsupported colour space) gives
// a null image instead of an error, so a bad picture never stops the program.
QImage DecodeJpeg(const QByteArray& data);
QImage DecodeJpegFile(const QString& path);
