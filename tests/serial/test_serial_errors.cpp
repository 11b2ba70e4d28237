#include "serial/serial_errors.h"

#include <QtTest>

#include <cerrno>
#include <cstring>
#include <new>

class TestSerialErrors : public QObject {
  Q_OBJECT

private slots:
  void ClassesCarryCodeAndText_data();
  void ClassesCarryCodeAndText();
  void LookUpUsesAbsoluteCode();
  void MissingCodeTakesPlatformText();
  void CleaningPlatformText_data();
  void CleaningPlatformText();
  void OpenErrorsMapToClasses_data();
  void OpenErrorsMapToClasses();
  void OutOfMemoryRaisesBadAlloc();
  void OtherPlatformErrorsBecomeInOutError();
};

namespace {

template <typename TError>
void ExpectRaised(int code, int expectedCode, const char* expectedText) {
  try {
    RaiseSerialError(code);
    QFAIL("nothing raised");
  } catch (const TError& error) {
    QCOMPARE(error.Code(), expectedCode);
    QCOMPARE(QString::fromStdString(error.what()), QString::fromLatin1(expectedText));
  } catch (...) {
    QFAIL("raised the wrong class");
  }
}

}  // namespace

void TestSerialErrors::ClassesCarryCodeAndText_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("text");
  QTest::newRow("EBadId") << -2001 << "Specified comport doesn't exist";
  QTest::newRow("ECommNotOpen") << -2007 << "Device not open";
  QTest::newRow("EAlreadyOpen") << -2008 << "Device already open";
  QTest::newRow("ENoPortSelected")
      << -2011 << "The ComNumber property of the TSerialPort has not been set";
  QTest::newRow("EPutBlockFail") << -3004 << "Failed to put entire block";
  QTest::newRow("EOutputBufferTooSmall") << -3006 << "Output buffer too small for block";
  QTest::newRow("EBufferIsEmpty") << -3007 << "Buffer is empty";
}

void TestSerialErrors::ClassesCarryCodeAndText() {
  QFETCH(int, code);
  QFETCH(QString, text);
  const QByteArray expected = text.toLatin1();
  switch (code) {
    case -2001: ExpectRaised<EBadId>(code, code, expected.constData()); break;
    case -2007: ExpectRaised<ECommNotOpen>(code, code, expected.constData()); break;
    case -2008: ExpectRaised<EAlreadyOpen>(code, code, expected.constData()); break;
    case -2011: ExpectRaised<ENoPortSelected>(code, code, expected.constData()); break;
    case -3004: ExpectRaised<EPutBlockFail>(code, code, expected.constData()); break;
    case -3006: ExpectRaised<EOutputBufferTooSmall>(code, code, expected.constData()); break;
    case -3007: ExpectRaised<EBufferIsEmpty>(code, code, expected.constData()); break;
    default: QFAIL("row without a class");
  }
  // Every class is an ESerialError, so one handler catches them all.
  try {
    RaiseSerialError(code);
  } catch (const ESerialError& error) {
    QCOMPARE(error.Code(), code);
  }
}

void TestSerialErrors::LookUpUsesAbsoluteCode() {
  QCOMPARE(ErrorMessage(2008), ErrorMessage(-2008));
  QCOMPARE(QString::fromStdString(ErrorMessage(3007)), QStringLiteral("Buffer is empty"));
  // Neighbours of table entries are not entries.
  QVERIFY(ErrorMessage(-2002) != ErrorMessage(-2001));
  QVERIFY(ErrorMessage(-3005) != ErrorMessage(-3006));
}

void TestSerialErrors::MissingCodeTakesPlatformText() {
  QCOMPARE(QString::fromStdString(ErrorMessage(-EIO)), QString::fromLocal8Bit(std::strerror(EIO)));
  QCOMPARE(QString::fromStdString(ErrorMessage(ENOTTY)),
           QString::fromLocal8Bit(std::strerror(ENOTTY)));
  const ESerialError error(-EINVAL);
  QCOMPARE(error.Code(), -EINVAL);
  QCOMPARE(QString::fromStdString(error.what()), QString::fromLocal8Bit(std::strerror(EINVAL)));
}

void TestSerialErrors::CleaningPlatformText_data() {
  QTest::addColumn<QString>("raw");
  QTest::addColumn<QString>("clean");
  QTest::newRow("line break at the end") << "Access is denied.\r\n" << "Access is denied. ";
  QTest::newRow("tab inside") << "Bad\tthing" << "Bad thing";
  QTest::newRow("runs of blanks") << "a    b  \r\n\r\nc" << "a b c";
  QTest::newRow("already clean") << "Input/output error" << "Input/output error";
  QTest::newRow("empty") << "" << "";
}

void TestSerialErrors::CleaningPlatformText() {
  QFETCH(QString, raw);
  QFETCH(QString, clean);
  QCOMPARE(QString::fromStdString(CleanPlatformMessage(raw.toStdString())), clean);
}

void TestSerialErrors::OpenErrorsMapToClasses_data() {
  QTest::addColumn<int>("platformError");
  QTest::addColumn<int>("code");
  QTest::newRow("ENOENT") << ENOENT << -2001;
  QTest::newRow("ENOTDIR") << ENOTDIR << -2001;
  QTest::newRow("ENXIO") << ENXIO << -2001;
  QTest::newRow("ENODEV") << ENODEV << -2001;
  QTest::newRow("EACCES") << EACCES << -2008;
  QTest::newRow("EBUSY") << EBUSY << -2008;
  QTest::newRow("EWOULDBLOCK") << EWOULDBLOCK << -2008;
}

void TestSerialErrors::OpenErrorsMapToClasses() {
  QFETCH(int, platformError);
  QFETCH(int, code);
  try {
    RaiseOpenError(-platformError);
    QFAIL("nothing raised");
  } catch (const ESerialError& error) {
    QCOMPARE(error.Code(), code);
    QCOMPARE(QString::fromStdString(error.what()), QString::fromStdString(ErrorMessage(code)));
    QVERIFY(code == -2001 ? dynamic_cast<const EBadId*>(&error) != nullptr
                          : dynamic_cast<const EAlreadyOpen*>(&error) != nullptr);
  }
  RaiseOpenError(ecOK);  // success raises nothing
}

void TestSerialErrors::OutOfMemoryRaisesBadAlloc() {
  QVERIFY_THROWS_EXCEPTION(std::bad_alloc, RaiseOpenError(-ENOMEM));
}

void TestSerialErrors::OtherPlatformErrorsBecomeInOutError() {
  try {
    RaiseOpenError(-EIO);
    QFAIL("nothing raised");
  } catch (const EInOutError& error) {
    QCOMPARE(error.Code(), EIO);
    QCOMPARE(QString::fromStdString(error.what()), QString::fromLocal8Bit(std::strerror(EIO)));
  }
  // A component code met while opening keeps its own class.
  QVERIFY_THROWS_EXCEPTION(ENoPortSelected, RaiseOpenError(ecNoPortSelected));
}

QTEST_APPLESS_MAIN(TestSerialErrors)
#include "test_serial_errors.moc"
