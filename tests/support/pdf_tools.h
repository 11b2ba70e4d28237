#pragma once

#include <QString>
#include <QStringList>

// What a poppler tool (pdftotext, pdfinfo, pdftoppm) prints for the
// arguments; empty when it does not run.
QString Poppler(const QString& tool, const QStringList& arguments);

// The text of a PDF as laid out on its pages (pdftotext -layout).
QString PdfText(const QString& pdf);
