#pragma once

class QWidget;

// SIGTERM, SIGINT and SIGHUP close the window the way the operator would, so
// the analyser is returned to free run and the port closed before the
// program ends. The window carries the property kClosingOnSignal (true)
// while such a close runs: nothing in it may wait for an operator.
void CloseOnTerminationSignals(QWidget* window);

inline constexpr char kClosingOnSignal[] = "closingOnSignal";
