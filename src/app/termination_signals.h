#pragma once

class QWidget;

// SIGTERM, SIGINT and SIGHUP close the window the way the operator would, so
// the analyser is returned to free run and the port closed before the
// program ends.
void CloseOnTerminationSignals(QWidget* window);
