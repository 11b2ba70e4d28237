#pragma once

#include "serial/serial_types.h"

#include <termios.h>

// The termios speed constant for a baud rate, or B0 when the platform has
// none for it.
speed_t BaudConstant(qint32 baud);

// Turns t into the raw line the dispatcher reads and writes: no echo, no
// line editing, no character translation, non-blocking reads that return
// what is queued, receiver on, modem control lines ignored for opening; then
// the baud rate, data bits, parity, stop bits, XON/XOFF flow and the RTS/CTS
// handshake (CRTSCTS when hwfUseRTS or hwfRequireCTS is set). Returns 0, or
// -EINVAL for a baud rate, data bit count or stop bit count the line cannot
// carry (t is then unchanged).
int ComposeTermios(termios& t, const TLineSettings& line, THWFlowOptions handshake);

// Makes t gather input into lines for a reader told only of whole lines:
// canonical input ending a line at lineEnd (and at a line feed), with every
// editing, signal, echo and end-of-file character switched off, so no byte
// is dropped, changed or acted on. lineEnd < 0 makes the input raw again
// (each byte readable as it comes). False, with t unchanged, for a lineEnd
// the terminal cannot end lines at (NUL stands for "no character" there).
bool ComposeLineGathering(termios& t, int lineEnd);
