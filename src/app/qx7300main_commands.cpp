// The command channel: everything the program tells the analyser.
#include "app/qx7300main.h"
#include "serial/serial_port.h"
#include "serial/wait_ticks.h"

void Tqx7300form::SendCommand(const QByteArray& text) {
  // A review window has no analyser; and where no port has ever been chosen
  // the command goes nowhere, and no watchdog is armed to complain about
  // the silence.
  if (reviewMode_ || SerialPort1_->ComNumber() == 0) return;
  document_->RecordSent(text);
  // Armed, not restarted: a running watchdog keeps its earlier start.
  if (!Comstimer_.isActive()) Comstimer_.start();
  SerialPort1_->TransmitString(text);
  // At least one tick between commands, with messages processed meanwhile.
  WaitTicks(1, true);
}

void Tqx7300form::RequestData() {
  SyncSetup();
  document_->RequestData();
}
