// Operations that other subsystems complete. Each is already called from
// the place that needs it; until its subsystem is built it does nothing, or
// reports a line as handled.
#include "app/qx7300main.h"

bool Tqx7300form::HandleFlickerRecord(const QByteArray& line) {
  Q_UNUSED(line);
  return true;
}

void Tqx7300form::UpdateFlickerDisplay() {}

void Tqx7300form::RecordStepResult() {}

void Tqx7300form::BuildReport() {}

void Tqx7300form::SaveSettings() {}
