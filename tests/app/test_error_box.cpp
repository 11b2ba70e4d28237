// An error that escapes an event reaction reaches the default error box with
// its text, and the program carries on with the next event.
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

#include "app/veltrix_application.h"
#include "support/scripted_operator_dialogs.h"

class TestErrorBox : public QObject {
  Q_OBJECT

 public:
  explicit TestErrorBox(ScriptedOperatorDialogs& dialogs) : dialogs_(dialogs) {}

 private slots:
  void init() { dialogs_.shown.clear(); }
  void errorInTimerReactionIsShownAndProgramGoesOn();
  void errorInButtonReactionIsShown();
  void errorsOfAnyKindAreShown();

 private:
  ScriptedOperatorDialogs& dialogs_;
};

void TestErrorBox::errorInTimerReactionIsShownAndProgramGoesOn() {
  int laterRuns = 0;
  QTimer failing;
  failing.setSingleShot(true);
  QObject::connect(&failing, &QTimer::timeout, [] { throw std::runtime_error("Device not open"); });
  QTimer later;
  later.setInterval(10);
  QObject::connect(&later, &QTimer::timeout, [&laterRuns] { ++laterRuns; });
  failing.start(0);
  later.start();
  QTRY_COMPARE(dialogs_.Texts(QStringLiteral("error")), QStringList{QStringLiteral("Device not open")});
  QTRY_VERIFY(laterRuns >= 3);
  QCOMPARE(dialogs_.shown.size(), 1);
}

void TestErrorBox::errorInButtonReactionIsShown() {
  QPushButton button(QStringLiteral("Free Run"));
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&clicks] {
    if (++clicks == 1) throw std::runtime_error("Specified comport doesn't exist");
  });
  button.show();
  QVERIFY(QTest::qWaitForWindowExposed(&button));
  QTest::mouseClick(&button, Qt::LeftButton);
  QCOMPARE(dialogs_.Texts(QStringLiteral("error")),
           QStringList{QStringLiteral("Specified comport doesn't exist")});
  // The button still works.
  QTest::mouseClick(&button, Qt::LeftButton);
  QCOMPARE(clicks, 2);
  QCOMPARE(dialogs_.shown.size(), 1);
}

void TestErrorBox::errorsOfAnyKindAreShown() {
  QTimer a;
  QTimer b;
  a.setSingleShot(true);
  b.setSingleShot(true);
  QObject::connect(&a, &QTimer::timeout, [] { throw std::bad_alloc(); });
  QObject::connect(&b, &QTimer::timeout, [] { throw 42; });
  a.start(0);
  b.start(5);
  QTRY_COMPARE(dialogs_.Texts(QStringLiteral("error")).size(), 2);
  QCOMPARE(dialogs_.Texts(QStringLiteral("error")).first(), QStringLiteral("Out of memory"));
  QVERIFY(!dialogs_.Texts(QStringLiteral("error")).last().isEmpty());
}

int main(int argc, char** argv) {
  VeltrixApplication application(argc, argv);
  ScriptedOperatorDialogs dialogs;
  application.SetDialogs(&dialogs);
  TestErrorBox test(dialogs);
  return QTest::qExec(&test, argc, argv);
}

#include "test_error_box.moc"
