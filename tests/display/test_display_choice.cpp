// Choosing a display: the area is cleared, the matching records are asked
// for, the right controls show and a graph is drawn at once.
#include <QCheckBox>
#include <QtTest>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "serial/serial_port.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

using namespace std::chrono_literals;

class TestDisplayChoice : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void harmonicsChoices();
  void flickerChoices();

 private:
  QByteArray Sent() { return analyser_->Read(1 << 12, 150ms); }
  Ui::Tqx7300form& Ui() { return window_->Form(); }

  std::unique_ptr<TWindowRig> rig_;
  TLinkedAnalyser* analyser_ = nullptr;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestDisplayChoice::init() {
  // Before start-up has finished; the port opens with the first command.
  TWindowRig::Options options;
  options.comNumber = 2;
  options.openPort = false;
  options.startupComplete = false;
  rig_ = std::make_unique<TWindowRig>(options);
  QVERIFY(rig_->Ready());
  analyser_ = &rig_->Analyser();
  dialogs_ = &rig_->Dialogs();
  window_ = &rig_->Window();
}

void TestDisplayChoice::cleanup() {
  rig_.reset();
}

void TestDisplayChoice::harmonicsChoices() {
  Ui().RadioGroup1->SetItemIndex(1);
  QCOMPARE(Sent(), QByteArray("R:H;"));
  QVERIFY(Ui().CheckBox7->isHidden());
  QVERIFY(Ui().Button10->isVisible() && Ui().Button11->isVisible() && Ui().Button12->isVisible());
  QVERIFY(Ui().DrawGrid1->isHidden());
  QCOMPARE(window_->GraphBitmap().size(), QSize(540, 300));

  Ui().RadioGroup1->SetItemIndex(2);
  QCOMPARE(Sent(), QByteArray("R:H;"));
  QVERIFY(Ui().DrawGrid1->isVisible());
  QVERIFY(Ui().Button10->isHidden());
  // The area behind the table is cleared, not drawn.
  QCOMPARE(window_->GraphBitmap().pixelColor(270, 150), window_->palette().color(QPalette::Button));

  Ui().RadioGroup1->SetItemIndex(0);
  QCOMPARE(Sent(), QByteArray("R:W;"));
  QVERIFY(Ui().CheckBox7->isVisible());
  QVERIFY(Ui().DrawGrid1->isHidden());
  QCOMPARE(window_->GraphBitmap().size(), QSize(400, 300));
  // Choosing the item already chosen does nothing.
  Ui().RadioGroup1->SetItemIndex(0);
  QVERIFY(Sent().isEmpty());
}

void TestDisplayChoice::flickerChoices() {
  Ui().RadioGroup1->SetItemIndex(1);  // leaves the scale buttons up
  QCOMPARE(Sent(), QByteArray("R:H;"));
  Ui().RadioGroup2->SetItemIndex(1);
  QCOMPARE(Sent(), QByteArray("R:F;"));
  QVERIFY(Ui().StringGrid2->isVisible());
  QVERIFY(Ui().StringGrid3->isHidden() && Ui().Panel12->isHidden() && Ui().DrawGrid1->isHidden());
  QVERIFY(Ui().Button10->isHidden());
  Ui().RadioGroup2->SetItemIndex(2);
  QVERIFY(Ui().StringGrid3->isVisible() && Ui().StringGrid2->isHidden());
  Ui().RadioGroup2->SetItemIndex(3);
  QVERIFY(Ui().Panel12->isVisible() && Ui().StringGrid3->isHidden());
  QCOMPARE(Sent(), QByteArray("R:F;R:F;"));
  Ui().RadioGroup2->SetItemIndex(0);
  QCOMPARE(Sent(), QByteArray("R:W;"));
  QVERIFY(Ui().Panel12->isHidden());
  QVERIFY(Ui().CheckBox7->isVisible());
  QCOMPARE(window_->GraphBitmap().size(), QSize(400, 300));
}

QTEST_MAIN(TestDisplayChoice)
#include "test_display_choice.moc"
