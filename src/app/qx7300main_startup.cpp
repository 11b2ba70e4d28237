// Bringing the program up two seconds after the window appears, the
// re-initialisation it shares with other operations, and the shut-down.
#include <QTableWidget>

#include "app/msg.h"
#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/termination_signals.h"
#include "display/graph_frame.h"
#include "link/command_vocabulary.h"
#include "persist/configuration_file.h"
#include "persist/working_folder.h"
#include "report/report_text.h"
#include "serial/port_access.h"
#include "serial/serial_port.h"
#include "serial/wait_ticks.h"
#include "ui_qx7300main.h"

#include <exception>
#include <stdexcept>
#include <string>

void Tqx7300form::starttimerTimer() {
  document_->SetTestStartTime(QDateTime::currentDateTime());
  starttimer_.stop();
  ClearResults();
  repaint();

  // The set-up of the last run, then the program's own settings.
  LoadConfiguration(WorkingFolderPath(QString::fromLatin1(kStartupConfigurationLoadName)));
  ReadSettings();

  try {
    SerialPort1_->SetOpen(true);
    shell_.PortConnected = true;
  } catch (const std::exception& error) {
    dialogs_.ShowWarningWithDetails(
        QStringLiteral("Invalid Com Port"),
        QString::fromLocal8Bit(DescribePortAccess(SerialPort1_->ComNumber(), error.what())));
    shell_.PortConnected = false;
  }

  WriteFlickerGridHeadings();
  // No cell of the grids shows as selected.
  for (QTableWidget* grid : {ui->StringGrid1, ui->StringGrid2, ui->StringGrid3}) grid->setCurrentItem(nullptr);
  ui->DrawGrid1->setCurrentIndex(QModelIndex());
  UpdateClock();
  LoadMarkBitmaps();
  document_->Fields().CurrentRangeCode = QStringLiteral("0");
  document_->Fields().VoltageRangeCode = QStringLiteral("0");
  ui->RadioGroup1->SetItemIndex(0);
  PlaceOperatorPrompt();
  NewManualSequence();
  ClearReport();
  ui->DrawGrid1->hide();
  ui->CheckBox7->show();
  ShowScaleButtons(false);
  ui->StringGrid2->hide();
  ui->StringGrid3->hide();
  ui->Panel8->hide();
  DrawWaveformGraph();
  CopyGraphToWindow(kWaveformPlace);
  Comstimer_.start();
  shell_.StartupComplete = true;
  ReinitialiseForStandard();
  BuildReport();
  AcceptSplash();
}

void Tqx7300form::PlaceOperatorPrompt() {
  Tmsgform* prompt = companions_.msgform;
  if (prompt == nullptr) return;
  // Near the window's corner, where it does not cover the readings; shown
  // and hidden once so that its first showing during a test is immediate.
  prompt->move(geometry().topLeft() + QPoint(50, 50));
  prompt->resize(244, 112);
  prompt->show();
  prompt->hide();
  prompt->SetColour(Qt::red);
}

void Tqx7300form::LoadMarkBitmaps() {
  const auto load = [](const char* name) {
    QImage picture(WorkingFolderPath(QString::fromLatin1(name)));
    // As a file the program cannot open: start-up stops here and says so.
    if (picture.isNull()) throw std::runtime_error(std::string("Cannot open file ") + name);
    return picture;
  };
  marks_.tick = load("tick.bmp");
  marks_.cross = load("cross.bmp");
  marks_.fill = load("fill.bmp");
  // The dense marks are optional: without them the 1x ones are scaled.
  const auto loadDense = [](const char* name) {
    QImage picture(WorkingFolderPath(QString::fromLatin1(name)));
    picture.setDevicePixelRatio(2.0);
    return picture;
  };
  marks_.denseTick = loadDense("tick@2x.bmp");
  marks_.denseCross = loadDense("cross@2x.bmp");
}

void Tqx7300form::ClearResults() {
  document_->ClearResults();
  // The table shows the cleared results at once: a record repaints only
  // the cells it changes from what was painted last.
  ui->DrawGrid1->viewport()->update();
  NewManualSequence();
}

bool Tqx7300form::FormCloseQuery() {
  SaveSettings();
  // A port open now (a Retry or a command may have opened it after a failed
  // start-up), or one that was open and closed itself when the line went:
  // the first command opens it again if the analyser is back.
  if (SerialPort1_->Open() || shell_.PortConnected) {
    // The window closes whatever the line does: a port that cannot be
    // reached any more is reported, and the close goes on.
    try {
      SendCommand(Command::FreeRun());
      SendCommand(Command::LinkClosing());
      WaitTicks(5, true);
      SerialPort1_->SetOpen(false);
    } catch (const std::exception& error) {
      // Closed by the system (a logout, a kill), nobody may be there to
      // answer a box: the reason goes to the log and the close goes on.
      if (property(kClosingOnSignal).toBool())
        qWarning("veltrix: %s", error.what());
      else
        dialogs_.ShowError(QString::fromLocal8Bit(error.what()));
    }
  }
  return true;
}
