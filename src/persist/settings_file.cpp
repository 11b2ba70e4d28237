#include "persist/settings_file.h"

#include <QFile>
#include <QRegularExpression>

#include <cmath>

#include "link/decimal_text.h"

std::optional<int> ParsePortLine(const QString& line) {
  const QString fields = line.trimmed() + QLatin1Char(';');
  const QString first = fields.section(QRegularExpression(QStringLiteral("[;,]")), 0, 0);
  const double value = ParseDecimal(first).value_or(0.0);
  const double rounded = std::nearbyint(value);  // halves to even
  if (rounded < 0.0 || rounded > 255.0) return std::nullopt;
  return static_cast<int>(rounded);
}

std::optional<int> ReadSettingsPort(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
  QString line;
  for (int number = 1; number <= 4; ++number) {
    if (file.atEnd()) return std::nullopt;
    line = QString::fromLatin1(file.readLine()).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
  }
  return ParsePortLine(line);
}
