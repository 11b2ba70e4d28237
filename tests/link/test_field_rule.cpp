// Field extraction and hexadecimal digits, by the analyser's field rule.
#include <QtTest>
#include <QRandomGenerator>

#include <cmath>
#include <cstring>

#include "link/decimal_text.h"
#include "link/field_rule.h"

class TestFieldRule : public QObject {
  Q_OBJECT

 private slots:
  void fields_data();
  void fields();
  void fieldsAgreeOnRandomLines();
  void lengthLimit();
  void hexDigits();
  void decimalText_data();
  void decimalText();
  void decimalTextAgreesWithQt();
};

void TestFieldRule::fields_data() {
  QTest::addColumn<QByteArray>("line");
  QTest::addColumn<int>("n");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("semicolon separates like a comma") << QByteArray("A,B;C") << 3 << QByteArray("C");
  QTest::newRow("second of three") << QByteArray("A,B;C") << 2 << QByteArray("B");
  QTest::newRow("first") << QByteArray("A,B;C") << 1 << QByteArray("A");
  QTest::newRow("zero counts as one") << QByteArray("A,B;C") << 0 << QByteArray("A");
  QTest::newRow("two commas give an empty field") << QByteArray("A,,C") << 2 << QByteArray();
  QTest::newRow("beyond the last field") << QByteArray("A,B;C") << 4 << QByteArray();
  QTest::newRow("far beyond") << QByteArray("A,B") << 65535 << QByteArray();
  QTest::newRow("trailing separator") << QByteArray("A,B,") << 3 << QByteArray();
  QTest::newRow("line trimmed, field not") << QByteArray("  \t!x, B ,C \r\n") << 2 << QByteArray(" B ");
  QTest::newRow("line feed and return dropped") << QByteArray("!,W,0\r\n") << 3 << QByteArray("0");
  QTest::newRow("lone line feed") << QByteArray("\n") << 2 << QByteArray();
  QTest::newRow("NUL inside a field stays") << QByteArray("A,B\0C,D", 7) << 2 << QByteArray("B\0C", 3);
  QTest::newRow("high bytes are not blanks") << QByteArray("\xE9,\xFF") << 2 << QByteArray("\xFF");
  QByteArray many;
  for (int k = 0; k < 60; ++k) many += QByteArray::number(k) + (k % 2 ? ';' : ',');
  QTest::newRow("far field") << many << 45 << QByteArray("44");
}

void TestFieldRule::fields() {
  QFETCH(QByteArray, line);
  QFETCH(int, n);
  QFETCH(QByteArray, expected);
  QCOMPARE(ExtractField(line, static_cast<quint16>(n)), expected);
  // Split once, every field reads the same.
  const LineFields fields(line);
  QCOMPARE(fields.Field(static_cast<quint16>(n)), expected);
  for (quint16 k = 0; k <= 8; ++k) QCOMPARE(fields.Field(k), ExtractField(line, k));
  // Read from the far end first.
  const LineFields backwards(line);
  for (int k = n + 2; k >= 0; --k) QCOMPARE(backwards.View(static_cast<quint16>(k)), ExtractField(line, static_cast<quint16>(k)));
}

void TestFieldRule::fieldsAgreeOnRandomLines() {
  // Separators of both kinds side by side, at the ends, among blanks and
  // NULs: every field read in place, in any order, is the one ExtractField
  // finds.
  QRandomGenerator random(11);
  const char alphabet[] = {',', ';', 'a', 'b', ' ', '\n', '\0'};
  for (int k = 0; k < 3000; ++k) {
    QByteArray line;
    for (int length = random.bounded(40); length > 0; --length) line += alphabet[random.bounded(7)];
    const LineFields fields(line);
    for (int n = 0; n < 45; ++n) {
      const auto field = static_cast<quint16>(random.bounded(45));
      QCOMPARE(fields.View(field), ExtractField(line, field));
    }
  }
}

void TestFieldRule::lengthLimit() {
  // With the appended ";" the working text may be 65535 characters long.
  QByteArray fits = "A,B," + QByteArray(65534 - 4, 'x');
  QCOMPARE(fits.size(), 65534);
  QCOMPARE(ExtractField(fits, 2), QByteArray("B"));
  QByteArray tooLong = fits + 'x';
  QCOMPARE(ExtractField(tooLong, 1), QByteArray());
  QCOMPARE(ExtractField(tooLong, 2), QByteArray());
  // Trimmed blanks do not count.
  QCOMPARE(ExtractField(fits + "   \r\n", 2), QByteArray("B"));
  QCOMPARE(LineFields(fits).Field(2), QByteArray("B"));
  QCOMPARE(LineFields(fits).Field(3), QByteArray(65534 - 4, 'x'));
  QCOMPARE(LineFields(tooLong).Field(1), QByteArray());
}

void TestFieldRule::hexDigits() {
  const QByteArray digits = "0123456789ABCDEF";
  for (int i = 0; i < digits.size(); ++i) QCOMPARE(HexDigitValue(digits[i]), i);
  for (char other : QByteArray("abcdefGZ g/:@`\x7f\xff")) QCOMPARE(HexDigitValue(other), 0);
}

void TestFieldRule::decimalText_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("isNumber");
  QTest::addColumn<double>("value");
  QTest::newRow("plain") << "230.1" << true << 230.1;
  QTest::newRow("signed exponent") << "-1.5e2" << true << -150.0;
  QTest::newRow("surrounding blanks") << "  16 " << true << 16.0;
  QTest::newRow("point first") << ".75" << true << 0.75;
  QTest::newRow("empty") << "" << false << 0.0;
  QTest::newRow("blanks only") << "   " << false << 0.0;
  QTest::newRow("trailing text") << "16A" << false << 0.0;
  QTest::newRow("decimal comma") << "3,3" << false << 0.0;
  QTest::newRow("infinity") << "inf" << false << 0.0;
  QTest::newRow("not a number") << "nan" << false << 0.0;
  QTest::newRow("hexadecimal") << "0x10" << false << 0.0;
  QTest::newRow("dash alone") << "-" << false << 0.0;
}

void TestFieldRule::decimalText() {
  QFETCH(QString, text);
  QFETCH(bool, isNumber);
  QFETCH(double, value);
  const std::optional<double> parsed = ParseDecimal(text);
  QCOMPARE(parsed.has_value(), isNumber);
  if (isNumber) QCOMPARE(*parsed, value);
  // Out of single-precision range is no number for a single.
  QVERIFY(!ParseSingle(QStringLiteral("1e300")).has_value());
}

void TestFieldRule::decimalTextAgreesWithQt() {
  // The quick conversion must give Qt's value to the bit: hard roundings,
  // the ends of the range, and random readings of every shape.
  QList<QByteArray> texts = {"0.1", "2.2250738585072011e-308", "4.9406564584124654e-324", "1e-400", "1e400",
                             "9007199254740993", "1.7976931348623157e308", "+.5", "5.", "-0", "+1e+3",
                             "0.30000000000000004", "123456789012345678901234567890", "1e", ".", "+-1", "1e+"};
  // Random texts of number characters, half of them laid out as numbers.
  QRandomGenerator random(8122026);
  const char kChars[] = "0123456789.+-eE";
  for (int i = 0; i < 20000; ++i) {
    QByteArray text;
    if (i % 2) {
      text = QByteArray::number((random.bounded(2e6) - 1e6) * std::pow(10.0, random.bounded(-320, 300)), 'g', 17);
    } else {
      for (int k = random.bounded(1, 24); k > 0; --k) text += kChars[random.bounded(int(sizeof kChars) - 1)];
    }
    texts << text;
  }
  int numbers = 0;
  for (const QByteArray& text : texts) {
    bool ok = false;
    const double qt = text.toDouble(&ok);
    const std::optional<double> ours = ParseDecimal(QString::fromLatin1(text));
    QVERIFY2(ours.has_value() == (ok && std::isfinite(qt)), text.constData());
    if (ours) QVERIFY2(std::memcmp(&*ours, &qt, sizeof qt) == 0, text.constData());
    numbers += ours.has_value();
  }
  QVERIFY(numbers > 8000);
}

QTEST_APPLESS_MAIN(TestFieldRule)
#include "test_field_rule.moc"
