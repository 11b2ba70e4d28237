#pragma once

#include "serial/serial_types.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>
#include <string>

class TBaseDispatcher;
class TDeliveryTicket;
class TNotifyReceiver;

// A numbered serial port. Create it, and use it, on the main thread. Opening
// creates a dispatcher with its worker threads; received bytes are announced
// by TriggerAvail on the main thread and taken one at a time by ReceiveChar;
// TransmitString queues without waiting. Errors are raised as ESerialError
// (and subclasses), EInOutError or std::bad_alloc; see serial_errors.h.
//
// If the device goes away while open (the far end hangs up, the adapter is
// unplugged), the port closes itself on the main thread: Open() turns false,
// PortClosed runs, then DeviceLost, and the next ReceiveChar or
// TransmitString opens it again when AutoOpen is set (raising the open error
// while the device is missing).
class TCustomSerialPort : public QObject {
  Q_OBJECT
public:
  explicit TCustomSerialPort(QObject* parent = nullptr);
  ~TCustomSerialPort() override;

  // 0 means no port chosen. A new number on an open port closes it and
  // opens the new one (which may raise).
  quint16 ComNumber() const { return comNumber_; }
  void SetComNumber(quint16 value);

  bool Open() const { return state_ == TPortState::Open; }
  void SetOpen(bool value);
  TPortState PortState() const { return state_; }

  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool value) { autoOpen_ = value; }

  // With ComNumber 0, asks SelectPort for a number instead of failing.
  bool PromptForPort() const { return promptForPort_; }
  void SetPromptForPort(bool value) { promptForPort_ = value; }
  // The port-choosing prompt: returns the chosen number, 0 for none.
  using TSelectPort = std::function<quint16()>;
  const TSelectPort& SelectPort() const { return selectPort_; }
  void SetSelectPort(TSelectPort prompt) { selectPort_ = std::move(prompt); }

  // Line settings; a change on an open port is applied at once, and a value
  // the line cannot take raises ESerialError and leaves the old one.
  qint32 Baud() const { return line_.baud; }
  void SetBaud(qint32 value);
  TParity Parity() const { return line_.parity; }
  void SetParity(TParity value);
  int DataBits() const { return line_.dataBits; }
  void SetDataBits(int value);
  int StopBits() const { return line_.stopBits; }
  void SetStopBits(int value);
  TSWFlowOptions SWFlowOptions() const { return line_.swFlow; }
  void SetSWFlowOptions(TSWFlowOptions value);
  quint8 XOnChar() const { return line_.xonChar; }
  void SetXOnChar(quint8 value);
  quint8 XOffChar() const { return line_.xoffChar; }
  void SetXOffChar(quint8 value);

  // The device input queue the handshake thresholds refer to.
  quint16 InSize() const { return inSize_; }
  void SetInSize(quint16 value);
  // The output ring; takes effect at the next open.
  quint16 OutSize() const { return outSize_; }
  void SetOutSize(quint16 value) { outSize_ = value; }

  THWFlowOptions HWFlowOptions() const { return hwFlowOptions_; }
  void SetHWFlowOptions(THWFlowOptions value);
  quint16 BufferFull() const { return bufferFull_; }
  void SetBufferFull(quint16 value);
  quint16 BufferResume() const { return bufferResume_; }
  void SetBufferResume(quint16 value);

  // Line states when not under handshake control.
  bool DTR() const { return dtr_; }
  void SetDTR(bool value);
  bool RTS() const { return rts_; }
  void SetRTS(bool value);

  // Fewest unread bytes that make a notification.
  quint16 AvailThreshold() const { return availThreshold_; }
  void SetAvailThreshold(quint16 value);

  // -1 (the default): notified as bytes come. A character (0 to 255): a
  // notification waits until it has come, or for a few milliseconds at
  // most, so a line that arrives in pieces makes one notification.
  int EventChar() const { return eventChar_; }
  void SetEventChar(int value);

  // Between BeginLoad and Loaded an open request is only remembered.
  void BeginLoad();
  void Loaded();

  // The next received byte. Opens the port first when needed and AutoOpen
  // is set. Inside a TriggerAvail handler the bytes are released only when
  // the handler returns; anywhere else the byte is taken at once, also while
  // a notification is on its way. Returns 0 while shutting down.
  quint8 ReceiveChar();
  // Queues all of text for sending, or nothing (EOutputBufferTooSmall when
  // it does not fit). Opens the port first like ReceiveChar. Never waits.
  void TransmitString(const QByteArray& text);

  // Unread received bytes (not counting those the handlers of the
  // notification in progress took).
  quint16 InBuffUsed() const;
  bool CharReady() const { return InBuffUsed() > 0; }
  quint16 OutBuffUsed() const;
  quint16 OutBuffFree() const;
  // True while the dispatcher is waiting for a TriggerAvail handler.
  bool InHandler() const;

  std::string DeviceName() const;

protected:
  // Makes the dispatcher of a port being opened: the POSIX terminal one,
  // unless a subclass drives the device another way.
  virtual std::unique_ptr<TBaseDispatcher> CreateDispatcher();

  virtual void TriggerAvail(quint16 count);
  virtual void PortOpened();
  virtual void PortClosed();
  // The device went away while open; the port is closed (or closes as soon
  // as the handler in progress returns).
  virtual void DeviceLost();

private:
  friend class TNotifyReceiver;

  void HandleAvail(quint16 count, TDeliveryTicket& ticket);
  void FinishAvail(TDeliveryTicket& ticket);
  void HandleDeviceLost(quint64 dispatcherId);

  void DoOpen();
  void DoClose();
  void FinishClose();
  void DiscardDispatcher();
  void RequireDispatcher();
  void ApplyHWFlow();
  void ApplyLine(const TLineSettings& line);
  // One line setting changed, the rest kept; applied (and checked) as a whole.
  template <typename Field, typename Value>
  void ChangeLine(Field TLineSettings::*field, Value value) {
    TLineSettings line = line_;
    line.*field = value;
    ApplyLine(line);
  }

  quint16 comNumber_ = 0;
  TPortState state_ = TPortState::Closed;
  bool autoOpen_ = true;
  bool promptForPort_ = true;
  TSelectPort selectPort_;
  TLineSettings line_;
  quint16 inSize_ = 4096;
  quint16 outSize_ = 4096;
  THWFlowOptions hwFlowOptions_;
  quint16 bufferFull_ = 0;
  quint16 bufferResume_ = 0;
  bool dtr_ = true;
  bool rts_ = true;
  quint16 availThreshold_ = 1;
  int eventChar_ = -1;

  bool loading_ = false;
  bool openWhenLoaded_ = false;
  bool openPending_ = false;
  bool closeDeferred_ = false;
  int handlerDepth_ = 0;

  std::unique_ptr<TBaseDispatcher> dispatcher_;
  TNotifyReceiver* receiver_ = nullptr;
};

// The port as the program uses it: the events as settable callbacks.
class TSerialPort : public TCustomSerialPort {
  Q_OBJECT
public:
  using TTriggerAvailEvent = std::function<void(TSerialPort& sender, quint16 count)>;
  using TPortEvent = std::function<void(TSerialPort& sender)>;

  explicit TSerialPort(QObject* parent = nullptr);

  // Count: unread bytes when the notification was made (1 to 8192).
  const TTriggerAvailEvent& OnTriggerAvail() const { return onTriggerAvail_; }
  void SetOnTriggerAvail(TTriggerAvailEvent handler) { onTriggerAvail_ = std::move(handler); }
  const TPortEvent& OnPortOpen() const { return onPortOpen_; }
  void SetOnPortOpen(TPortEvent handler) { onPortOpen_ = std::move(handler); }
  const TPortEvent& OnPortClose() const { return onPortClose_; }
  void SetOnPortClose(TPortEvent handler) { onPortClose_ = std::move(handler); }
  // The device went away by itself: never for a close asked for.
  const TPortEvent& OnDeviceLost() const { return onDeviceLost_; }
  void SetOnDeviceLost(TPortEvent handler) { onDeviceLost_ = std::move(handler); }

protected:
  void TriggerAvail(quint16 count) override;
  void PortOpened() override;
  void PortClosed() override;
  void DeviceLost() override;

private:
  TTriggerAvailEvent onTriggerAvail_;
  TPortEvent onPortOpen_;
  TPortEvent onPortClose_;
  TPortEvent onDeviceLost_;
};
