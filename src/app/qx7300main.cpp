#include "app/qx7300main.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

#include "app/About.h"
#include "app/radio_group.h"
#include "app/splash.h"
#include "archive/archive_sender.h"
#include "app/string_grid.h"
#include "app/test_clock.h"
#include "app/window_placement.h"
#include "serial/serial_port.h"
#include "ui_qx7300main.h"

namespace {

constexpr int kStartTimerMs = 2000;
constexpr int kClockTimerMs = 30000;
constexpr int kLinkWatchdogMs = 2000;

// The settings panels' place once the window is active: two pixels below
// where the layout puts them.
constexpr QPoint kSettingsPanelPlace{8, 222};

QFont FormFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  return font;
}

void SizeGrid(QTableWidget* grid, int columns, int rows, int rowHeight, const QList<int>& widths,
              bool gridLines) {
  grid->setColumnCount(columns);
  grid->setRowCount(rows);
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setMinimumSectionSize(1);
  grid->horizontalHeader()->setMinimumSectionSize(1);
  grid->setShowGrid(gridLines);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int r = 0; r < rows; ++r) grid->setRowHeight(r, rowHeight);
  for (int c = 0; c < columns && c < widths.size(); ++c) grid->setColumnWidth(c, widths[c]);
}

}  // namespace

Tqx7300form::Tqx7300form(OperatorDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::Tqx7300form), dialogs_(dialogs) {
  ownDocument_ = std::make_unique<TestDocument>(*this);
  document_ = ownDocument_.get();
  Construct();
  // Both timers count from the moment the window exists.
  starttimer_.start();
  clocktimer_.start();
}

Tqx7300form::Tqx7300form(OperatorDialogs& dialogs, TestDocument& reviewed, const QString& recordingPath)
    : QMainWindow(nullptr),
      ui(new Ui::Tqx7300form),
      dialogs_(dialogs),
      document_(&reviewed),
      reviewMode_(true),
      reviewedPath_(recordingPath) {
  Construct();
  shell_.StartupComplete = true;
  shell_.LinkFaultSuppressed = true;
  // The harmonics table's marks, when the working folder has them; a
  // folder without them shows the recording all the same.
  try {
    LoadMarkBitmaps();
  } catch (const std::exception&) {
  }
  setWindowTitle(QStringLiteral("Veltrix Review - ") + QFileInfo(recordingPath).fileName());
  ShowReviewed({});
}

void Tqx7300form::Construct() {
  ui->setupUi(this);
  ApplyDesignAppearance();
  document_->SetFaceColour(palette().color(QPalette::Button));
  ConfigureDisplayGrids();
  ConnectMenu();
  ConfigureSerialPort();
  // Before any reaction is connected, so that each finds the document's
  // set-up as the panels hold it.
  ConnectSetupToDocument();
  ConnectTestControl();
  ConnectSettingsPanels();
  ConnectLinkSupervision();
  ConnectPersistence();
  ConnectReportOutput();
  connect(ui->RadioGroup1, &RadioGroup::Clicked, this, &Tqx7300form::RadioGroup1Click);
  connect(ui->RadioGroup2, &RadioGroup::Clicked, this, &Tqx7300form::RadioGroup2Click);
  connect(ui->Button10, &QPushButton::clicked, this, &Tqx7300form::Button10Click);
  connect(ui->Button11, &QPushButton::clicked, this, &Tqx7300form::Button11Click);
  connect(ui->Button12, &QPushButton::clicked, this, &Tqx7300form::Button12Click);

  starttimer_.setSingleShot(true);
  starttimer_.setInterval(kStartTimerMs);
  connect(&starttimer_, &QTimer::timeout, this, &Tqx7300form::starttimerTimer);
  clocktimer_.setInterval(kClockTimerMs);
  connect(&clocktimer_, &QTimer::timeout, this, &Tqx7300form::UpdateClock);
  Comstimer_.setInterval(kLinkWatchdogMs);
}

Tqx7300form::~Tqx7300form() {
  // The document's recordings are closed before the window that is their
  // link goes.
  ownDocument_.reset();
  delete ui;
}

void Tqx7300form::ApplyDesignAppearance() {
  setFont(FormFont());
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  ui->centralwidget->setFixedSize(kClientWidth, kClientHeight);
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
  // The cover over the display area during a change of standard hides what
  // lies under it.
  ui->Panel8->setAutoFillBackground(true);
  // The readings that change with every record paint their own background,
  // in their panel's colour: a new reading then repaints its label alone,
  // not the panel beneath it nor the window beneath that (whose every paint
  // also lays the grids out again). Their bold Arial is given as a font
  // rather than a style sheet: a label under a style sheet neither takes its
  // panel's colour for its background nor paints as quickly.
  ui->Panel9->setAutoFillBackground(true);
  const auto boldArial = [](int pixels) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
  };
  for (QLabel* reading : {ui->Label42, ui->Label83, ui->Label91, ui->Label5, ui->Label3, ui->Label80, ui->Label57,
                          ui->Label96, ui->Label17, ui->Label93, ui->Label78, ui->Label97, ui->Label85, ui->Label2}) {
    reading->setStyleSheet(QString());
    reading->setFont(boldArial(reading == ui->Label2 ? 22 : 13));
    reading->setAutoFillBackground(true);
    // The analyser's text as it came, never taken for markup (and not
    // searched for it with every record).
    reading->setTextFormat(Qt::PlainText);
  }
  for (QLabel* reading : {ui->Label35, ui->Label19, ui->Label28, ui->Label22, ui->Label29, ui->Label34}) {
    reading->setAutoFillBackground(true);
    reading->setTextFormat(Qt::PlainText);
  }
  SetMeterPanelColour(Qt::red);
  ui->Image1->setPixmap(ProgramPicture(*this));
  CentreOnScreen(this);
}

void Tqx7300form::ConfigureDisplayGrids() {
  ui->DrawGrid1->SetCells(QList<int>(kHarmonicsTableWidths.begin(), kHarmonicsTableWidths.end()),
                          kHarmonicsTableRows, kHarmonicsTableRowHeight);
  ui->DrawGrid1->setFrameStyle(QFrame::Box | QFrame::Plain);
  ui->DrawGrid1->setLineWidth(1);
  QFont tableFont(QStringLiteral("Arial"));
  tableFont.setPixelSize(11);
  ui->DrawGrid1->setFont(tableFont);
  ui->DrawGrid1->SetDrawCell([this](QPainter& painter, int column, int row, const QRect& cell) {
    DrawGrid1DrawCell(painter, column, row, cell);
  });

  // Lucida Console where it is installed; Liberation Mono has the metrics
  // the columns were laid out for everywhere else.
  QFont fixedPitch;
  fixedPitch.setFamilies({QStringLiteral("Lucida Console"), QStringLiteral("Liberation Mono")});
  fixedPitch.setStyleHint(QFont::Monospace);
  fixedPitch.setPixelSize(13);
  SizeGrid(ui->StringGrid2, 1, 20, 18, {440}, false);
  SizeGrid(ui->StringGrid3, 2, 23, 16, {218, 218}, false);
  SizeGrid(ui->StringGrid1, 9, 13, 18, {25, 70, 55, 50, 4, 25, 70, 55, 50}, true);
  for (QTableWidget* grid : {ui->StringGrid1, ui->StringGrid2, ui->StringGrid3}) {
    grid->setFont(fixedPitch);
    // Cells clip their text as the grid draws it; no ellipsis.
    grid->setTextElideMode(Qt::ElideNone);
    grid->setWordWrap(false);
    grid->setFrameShape(QFrame::NoFrame);
  }
  ui->StringGrid1->setFrameShape(QFrame::Box);
  WriteManualGridHeader();
}

void Tqx7300form::WriteManualGridHeader() {
  // Row 0 is the fixed heading row, once for each half of the steps.
  static const QStringList kHeadings{QStringLiteral("No."), QStringLiteral(" Time"), QStringLiteral("d(max)"),
                                     QStringLiteral("Status")};
  for (int half : {0, 5}) {
    for (int c = 0; c < kHeadings.size(); ++c) {
      SetGridCell(ui->StringGrid1, half + c, 0, kHeadings[c]);
      ui->StringGrid1->item(0, half + c)->setBackground(palette().color(QPalette::Button));
    }
  }
}

void Tqx7300form::ConnectMenu() {
  connect(ui->Exit1, &QAction::triggered, this, &QWidget::close);
  connect(ui->About1, &QAction::triggered, this, &Tqx7300form::ShowAboutBox);
}

void Tqx7300form::ConfigureSerialPort() {
  SerialPort1_ = new TSerialPort(this);
  SerialPort1_->SetPromptForPort(false);
  SerialPort1_->SetAutoOpen(true);
  SerialPort1_->SetBaud(115200);
  SerialPort1_->SetParity(pNone);
  SerialPort1_->SetDataBits(8);
  SerialPort1_->SetStopBits(1);
  SerialPort1_->SetInSize(8000);
  SerialPort1_->SetOutSize(4096);
  // Every record ends in a line feed: one notification a record, rather
  // than one for each piece the line arrives in.
  SerialPort1_->SetEventChar('\n');
  SerialPort1_->SetBufferFull(6000);
  SerialPort1_->SetBufferResume(2000);
  SerialPort1_->SetHWFlowOptions(THWFlowOptions(hwfUseDTR | hwfUseRTS | hwfRequireDSR | hwfRequireCTS));
  SerialPort1_->SetOnTriggerAvail(
      [this](TSerialPort& sender, quint16 count) { SerialPort1TriggerAvail(sender, count); });
}

void Tqx7300form::SetCompanions(const Companions& companions) {
  companions_ = companions;
  if (companions_.splash != nullptr) {
    connect(companions_.splash, &Tsplashform::AcceptPressed, this, &Tqx7300form::AcceptSplash);
  }
  ConnectLinkDialogs();
  ConnectPreview();
}

void Tqx7300form::SetMeterPanelColour(const QColor& colour) {
  QPalette meter = ui->Panel7->palette();
  meter.setColor(QPalette::Window, colour);
  meter.setColor(QPalette::WindowText, Qt::white);
  ui->Panel7->setPalette(meter);
  ui->Panel7->setAutoFillBackground(true);
  // Its readings, in black, fill their own background (see
  // ApplyDesignAppearance), and a child does not take its parent's
  // background colour.
  QPalette reading = meter;
  reading.setColor(QPalette::WindowText, Qt::black);
  for (QLabel* label : ui->Panel7->findChildren<QLabel*>()) {
    if (label->autoFillBackground()) label->setPalette(reading);
  }
}

void Tqx7300form::UpdateClock() { ui->Edit11->setText(FormatTestClock(Now())); }

void Tqx7300form::FormActivate() {
  ui->Panel1->move(kSettingsPanelPlace);
  ui->Panel2->move(kSettingsPanelPlace);
  SetMeterPanelColour(Qt::red);
}

void Tqx7300form::AcceptSplash() {
  if (companions_.splash != nullptr) companions_.splash->close();
  shell_.LinkFaultSuppressed = false;
}

void Tqx7300form::ShowAboutBox() {
  if (companions_.aboutBox != nullptr) companions_.aboutBox->exec();
}

bool Tqx7300form::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QMainWindow::event(event);
}

void Tqx7300form::paintEvent(QPaintEvent* event) {
  FormPaint();
  QMainWindow::paintEvent(event);
}

void Tqx7300form::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  emit Closed();
}
