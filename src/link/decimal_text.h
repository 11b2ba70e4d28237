#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// The program's decimal conversion: optional sign, digits, optional decimal
// point and exponent, surrounding blanks allowed. Empty text, text with
// anything after the number, and infinities or NaN are not numbers.
std::optional<double> ParseDecimal(QByteArrayView text);
std::optional<double> ParseDecimal(QStringView text);

// The same, as a single-precision value.
std::optional<float> ParseSingle(QByteArrayView text);
std::optional<float> ParseSingle(QStringView text);
