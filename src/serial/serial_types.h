#pragma once

#include <QFlags>
#include <QtGlobal>

// Line and handshake settings of a serial port, named as the port's
// properties name them.

enum TParity { pNone, pOdd, pEven, pMark, pSpace };

enum THWFlowOption {
  hwfUseDTR = 0x1,      // DTR follows the input queue's fill (drops when full)
  hwfUseRTS = 0x2,      // RTS follows the input queue's fill
  hwfRequireDSR = 0x4,  // transmit only while DSR is asserted
  hwfRequireCTS = 0x8,  // transmit only while CTS is asserted
};
Q_DECLARE_FLAGS(THWFlowOptions, THWFlowOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(THWFlowOptions)

enum TSWFlowOptions { swfNone, swfReceive, swfTransmit, swfBoth };

enum class TPortState { Closed, ShuttingDown, Open };

// Everything the device needs to be opened and set up, taken as one snapshot
// from the port's properties so the dispatcher never reads the live object.
struct TLineSettings {
  qint32 baud = 19200;
  TParity parity = pNone;
  int dataBits = 8;
  int stopBits = 1;
  TSWFlowOptions swFlow = swfNone;
  quint8 xonChar = 17;
  quint8 xoffChar = 19;
};

struct THandshake {
  THWFlowOptions options;
  quint16 bufferFull = 0;
  quint16 bufferResume = 0;
};
