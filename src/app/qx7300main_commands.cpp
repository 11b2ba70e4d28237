// The command channel: everything the program tells the analyser.
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "link/command_vocabulary.h"
#include "serial/serial_port.h"
#include "serial/wait_ticks.h"
#include "ui_qx7300main.h"

void Tqx7300form::SendCommand(const QByteArray& text) {
  // No port has ever been chosen: the command goes nowhere, and no
  // watchdog is armed to complain about the silence.
  if (SerialPort1_->ComNumber() == 0) return;
  RecordEntry(EntryKind::Sent, text);
  // Armed, not restarted: a running watchdog keeps its earlier start.
  if (!Comstimer_.isActive()) Comstimer_.start();
  SerialPort1_->TransmitString(text);
  // At least one tick between commands, with messages processed meanwhile.
  WaitTicks(1, true);
}

void Tqx7300form::RequestData() {
  const int standard = ui->ComboBox1->currentIndex();
  if (standard == 0) {
    switch (ui->RadioGroup1->ItemIndex()) {
      case 0: SendCommand(Command::RequestWaveforms()); break;
      case 1:
      case 2: SendCommand(Command::RequestHarmonics()); break;
      default: break;
    }
  } else if (standard == 1) {
    switch (ui->RadioGroup2->ItemIndex()) {
      case 0: SendCommand(Command::RequestWaveforms()); break;
      case 1:
      case 2:
      case 3: SendCommand(Command::RequestFlicker()); break;
      default: break;
    }
  }
}
