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

// A whole number: optional sign and digits, surrounding blanks allowed, in
// the range of a 32-bit integer. "10.5", "1e3" and empty text are not.
std::optional<int> ParseWholeNumber(QStringView text);
