// Operations that other subsystems complete. Each is already called from
// the place that needs it; until its subsystem is built it does nothing, or
// reports a line as handled.
#include "app/qx7300main.h"

void Tqx7300form::SaveSettings() {}
