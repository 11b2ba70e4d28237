// The main window as an operator sees it: every region at its place, the
// controls with their exact captions, the whole menu, and no caption cut off.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "support/scripted_operator_dialogs.h"
#include "ui_qx7300main.h"

namespace {

// The caption of any captioned control; list items are joined by "|".
QString Caption(QWidget* widget) {
  if (auto* radioGroup = qobject_cast<RadioGroup*>(widget)) {
    return radioGroup->title() + QLatin1Char(':') + radioGroup->Items().join(QLatin1Char('|'));
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* box = qobject_cast<QGroupBox*>(widget)) return box->title();
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items.join(QLatin1Char('|'));
  }
  return QStringLiteral("<no caption>");
}

}  // namespace

class TestMainWindowLayout : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void clientArea();
  void regions_data();
  void regions();
  void captions_data();
  void captions();
  void designStates();
  void menuTree();
  void nothingCutOffOrOutside();

 private:
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestMainWindowLayout::init() {
  dialogs_ = new ScriptedOperatorDialogs;
  window_ = new Tqx7300form(*dialogs_);
}

void TestMainWindowLayout::cleanup() {
  delete window_;
  delete dialogs_;
}

void TestMainWindowLayout::clientArea() {
  window_->show();
  QCOMPARE(window_->centralWidget()->size(), QSize(1010, 680));
  QCOMPARE(window_->minimumSize(), window_->maximumSize());
  QCOMPARE(window_->font().family(), QStringLiteral("Arial"));
  QCOMPARE(window_->font().pixelSize(), 12);
  QCOMPARE(window_->palette().color(QPalette::Window), window_->palette().color(QPalette::Button));
  QCOMPARE(window_->windowTitle(), QStringLiteral("Orvane QX7300 POWER & HARMONICS ANALYSER Veltrix"));
}

void TestMainWindowLayout::regions_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QRect>("bounds");
  QTest::newRow("test identification") << "Panel3" << QRect(8, 2, 424, 212);
  QTest::newRow("harmonics settings") << "Panel1" << QRect(8, 220, 424, 265);
  QTest::newRow("flicker settings") << "Panel2" << QRect(8, 220, 424, 264);
  QTest::newRow("current range") << "Panel4" << QRect(8, 494, 424, 54);
  QTest::newRow("test status") << "Panel5" << QRect(8, 556, 424, 116);
  QTest::newRow("graph and table area") << "Panel6" << QRect(440, 2, 562, 380);
  QTest::newRow("cover panel") << "Panel8" << QRect(440, 2, 562, 380);
  QTest::newRow("manual switching panel") << "Panel12" << QRect(440, 2, 562, 380);
  QTest::newRow("harmonics table") << "DrawGrid1" << QRect(450, 12, 544, 360);
  QTest::newRow("voltage-variation grid") << "StringGrid2" << QRect(500, 12, 440, 360);  // all 20 rows of 18 pixels
  QTest::newRow("flicker tables grid") << "StringGrid3" << QRect(500, 12, 440, 352);
  QTest::newRow("harmonics display options") << "RadioGroup1" << QRect(444, 392, 550, 36);
  QTest::newRow("flicker display options") << "RadioGroup2" << QRect(444, 392, 550, 36);
  QTest::newRow("meter panel") << "Panel7" << QRect(440, 440, 348, 232);
  QTest::newRow("harmonics summary") << "Panel9" << QRect(796, 440, 206, 232);
  QTest::newRow("flicker summary") << "Panel10" << QRect(796, 440, 206, 232);
  QTest::newRow("scale up") << "Button10" << QRect(516, 342, 130, 25);
  QTest::newRow("scale down") << "Button11" << QRect(666, 342, 130, 25);
  QTest::newRow("auto-set scale") << "Button12" << QRect(816, 342, 130, 25);
  QTest::newRow("manual results grid") << "StringGrid1" << QRect(73, 20, 416, 256);
}

void TestMainWindowLayout::regions() {
  QFETCH(QString, name);
  QFETCH(QRect, bounds);
  auto* widget = window_->findChild<QWidget*>(name);
  QVERIFY2(widget != nullptr, qPrintable(name));
  QCOMPARE(widget->geometry(), bounds);
}

void TestMainWindowLayout::captions_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("caption");
  const QList<QPair<const char*, const char*>> rows = {
      // test identification
      {"Label100", "Equipment under Test"},
      {"Label101", "Serial Number"},
      {"Label102", "Tested by"},
      {"Edit10", ""},
      {"Label103", "Measurement"},
      {"ComboBox1", "EN61000-3-2 (Harmonics)|EN61000-3-3 (Flicker & Voltage Variations)"},
      {"Label104", "Date and Time of Test"},
      {"Edit13", "230"},
      {"Label106", "Volts"},
      {"RadioGroup5", ":50|60"},
      {"Label107", "Hz"},
      // harmonics settings
      {"Label110", "Harmonics Settings"},
      {"Label111", "Test Method Standard"},
      {"ComboBox4", "EN61000-4-7 2002|EN61000-4-7 1993"},
      {"Label112", "Class"},
      {"ComboBox3", "A|B|C|D"},
      {"CheckBox4", "Professional"},
      {"Label113", "No Limits Below"},
      {"ComboBox7", "75|0"},
      {"Label114", "watts"},
      {"Panel13", " Basis of Limits "},
      {"Edit14", "40.2"},
      {"Label115", "Amps @"},
      {"Edit15", "0.75"},
      {"Label116", "PF Rating"},
      {"CheckBox1", "Automatic"},
      {"Panel14", " Basis of Limits "},
      {"Label117", "Rated Power"},
      {"Edit5", "40.2"},
      {"Label118", "watts"},
      {"CheckBox2", "Automatic"},
      // flicker settings
      {"Label120", "Voltage Fluctuations and Flicker Settings"},
      {"GroupBox1", "Test Type"},
      {"RadioButton1", "Continuous"},
      {"CheckBox3", "Voltage Fluctuations"},
      {"CheckBox6", "Flicker"},
      {"RadioButton2", "Manual Switching"},
      {"Label121", "d         Limit"},
      {"Label122", "max"},
      {"ComboBox2", "4%|5.33%|6%|7%"},
      {"Label123", "d    Limit >"},
      {"Label124", "c"},
      {"Edit2", "3.3"},
      {"Label125", "%"},
      {"Label126", "d(t)"},
      {"ComboBox5", "3.3% for 500 ms|3.0% for 200 ms|4.0% for 200 ms"},
      {"Label127", "Number of Events to Collect"},
      {"Edit1", "24"},
      {"Label128", "2 Hour P  Test"},
      {"Label129", "lt"},
      {"RadioGroup11", "Sensing Method:Voltage|Current"},
      {"Label130", "Reference Impedence"},
      {"ComboBox6", "0.400 +j 0.250 Ohms"},
      // current range and test status
      {"Label131", "Current Range"},
      {"Button6", "Range Up"},
      {"Button7", "Range Down"},
      {"Button8", "Lock Range"},
      {"Label132", "Test Status"},
      {"Label133", "Timed Test Duration"},
      {"Edit7", "10"},
      {"Label134", "Secs"},
      {"Button4", "New Test"},
      {"Button1", "Free Run"},
      {"Button2", "Hold"},
      {"Button3", "Reset Meter"},
      {"Button5", "Start Timed Test"},
      // display area
      {"CheckBox7", "Join Dots"},
      {"Button10", "Scale Up"},
      {"Button11", "Scale Down"},
      {"Button12", "Auto-set Scale"},
      {"RadioGroup1", "Harmonics Display Options:Waveform|Histogram|Table"},
      {"RadioGroup2",
       "Flicker Display Options:Wave Form|Voltage Fluctuations|Flicker Tables|Manual Switching"},
      {"Label135", "Combined Result :"},
      {"Label12", "-"},
      {"Label136", "Manual Switching Results."},
      {"Label150", "HARMONICS SUMMARY"},
  };
  for (const auto& [name, caption] : rows) {
    QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption);
  }
}

void TestMainWindowLayout::captions() {
  QFETCH(QString, name);
  QFETCH(QString, caption);
  auto* widget = window_->findChild<QWidget*>(name);
  QVERIFY2(widget != nullptr, qPrintable(name));
  QCOMPARE(Caption(widget), caption);
}

void TestMainWindowLayout::designStates() {
  Ui::Tqx7300form& ui = window_->Form();
  window_->show();
  // The switches and choices a configuration file written at design time
  // would record.
  QVERIFY(ui.RadioButton1->isChecked());
  QVERIFY(!ui.RadioButton2->isChecked());
  QVERIFY(!ui.CheckBox1->isChecked());
  QVERIFY(!ui.CheckBox2->isChecked());
  QVERIFY(ui.CheckBox3->isChecked());
  QVERIFY(!ui.CheckBox4->isChecked());
  QVERIFY(!ui.CheckBox5->isChecked());
  QVERIFY(ui.CheckBox6->isChecked());
  QVERIFY(!ui.CheckBox7->isChecked());
  for (RadioGroup* group : {ui.RadioGroup1, ui.RadioGroup2, ui.RadioGroup5, ui.RadioGroup11}) {
    QCOMPARE(group->ItemIndex(), 0);
  }
  for (QComboBox* list : {ui.ComboBox1, ui.ComboBox2, ui.ComboBox3, ui.ComboBox4, ui.ComboBox5,
                          ui.ComboBox6, ui.ComboBox7}) {
    QCOMPARE(list->currentIndex(), 0);
  }
  // The Test Status label is red, the manual results title navy.
  QCOMPARE(ui.Label59->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  QCOMPARE(ui.Label136->palette().color(QPalette::WindowText), QColor(Qt::darkBlue));
  // The harmonics standard is the design choice: its panels show.
  QVERIFY(ui.Panel1->isVisible());
  QVERIFY(!ui.Panel2->isVisible());
  QVERIFY(ui.RadioGroup1->isVisible());
  QVERIFY(!ui.RadioGroup2->isVisible());
  QVERIFY(ui.Panel9->isVisible());
  QVERIFY(!ui.Panel10->isVisible());
}

void TestMainWindowLayout::menuTree() {
  QStringList tree;
  for (QAction* menuAction : window_->menuBar()->actions()) {
    tree << menuAction->text();
    for (QAction* item : menuAction->menu()->actions()) {
      tree << QStringLiteral("  ") + (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
  }
  const QStringList expected = {
      "&File",
      "  Re&Call Report...",
      "  &Open Recording...",
      "  Test &History...",
      "  &Import Reports into History...",
      "  -",
      "  Save Report as &Text File...",
      "  Save Report as &CSV File...",
      "  Save Report as P&DF File...",
      "  -",
      "  Save Current Confi&guration...",
      "  &Load Configuration...",
      "  -",
      "  &Screendump",
      "  Pre&View Report...",
      "  Print Current &Graphic",
      "  &Printer Setup...",
      "  Printer &Font...",
      "  Print Report...",
      "  -",
      "  E&xit",
      "&Settings",
      "  &Settings...",
      "  Restore Default Settings...",
      "&Help",
      "  &About...",
  };
  QCOMPARE(tree, expected);
}

void TestMainWindowLayout::nothingCutOffOrOutside() {
  // Every caption fits its control and every control lies inside its
  // parent, so nothing an operator reads is clipped.
  window_->show();
  QStringList faults;
  const auto widgets = window_->centralWidget()->findChildren<QWidget*>();
  for (QWidget* widget : widgets) {
    if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_"))) {
      continue;
    }
    QWidget* parent = widget->parentWidget();
    if (parent != nullptr && !QRect(QPoint(0, 0), parent->size()).contains(widget->geometry())) {
      faults << widget->objectName() + QStringLiteral(" lies outside ") + parent->objectName();
    }
    int needed = 0;
    if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && !label->wordWrap()) {
      needed = label->fontMetrics().horizontalAdvance(label->text());
    } else if (auto* push = qobject_cast<QPushButton*>(widget)) {
      needed = push->fontMetrics().horizontalAdvance(push->text()) + 8;
    } else if (qobject_cast<QCheckBox*>(widget) != nullptr || qobject_cast<QRadioButton*>(widget) != nullptr) {
      needed = widget->sizeHint().width();
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      needed = combo->sizeHint().width();
    }
    if (needed > widget->width()) {
      faults << QStringLiteral("%1 needs %2 pixels, has %3").arg(widget->objectName()).arg(needed).arg(widget->width());
    }
  }
  QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestMainWindowLayout)
#include "test_main_window_layout.moc"
