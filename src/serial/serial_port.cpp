#include "serial/serial_port.h"

#include "serial/delivery_ticket.h"
#include "serial/device_path.h"
#include "serial/notify_receiver.h"
#include "serial/posix_dispatcher.h"
#include "serial/serial_errors.h"

#include <cerrno>
#include <cmath>

TCustomSerialPort::TCustomSerialPort(QObject* parent)
    : QObject(parent), receiver_(new TNotifyReceiver(this)) {}

TCustomSerialPort::~TCustomSerialPort() { DiscardDispatcher(); }

void TCustomSerialPort::SetComNumber(quint16 value) {
  if (value == comNumber_)
    return;
  if (state_ != TPortState::Open) {
    comNumber_ = value;
    return;
  }
  // AvailThreshold and the other triggers live in the port, so the new
  // dispatcher gets them again in the open sequence.
  DoClose();
  comNumber_ = value;
  SetOpen(true);
}

void TCustomSerialPort::SetOpen(bool value) {
  if (value) {
    if (state_ == TPortState::Open)
      return;
    if (loading_) {
      openWhenLoaded_ = true;
      return;
    }
    if (state_ == TPortState::ShuttingDown) {
      openPending_ = true;
      return;
    }
    DoOpen();
    return;
  }
  if (loading_)
    openWhenLoaded_ = false;
  openPending_ = false;
  if (state_ == TPortState::Open)
    DoClose();
}

void TCustomSerialPort::BeginLoad() { loading_ = true; }

void TCustomSerialPort::Loaded() {
  loading_ = false;
  if (openWhenLoaded_) {
    openWhenLoaded_ = false;
    SetOpen(true);
  }
}

void TCustomSerialPort::DoOpen() {
  if (comNumber_ == 0) {
    const quint16 chosen = (promptForPort_ && selectPort_) ? selectPort_() : 0;
    if (chosen == 0)
      throw ENoPortSelected();
    comNumber_ = chosen;
  }

  std::unique_ptr<TBaseDispatcher> dispatcher = CreateDispatcher();
  TDeviceParams params;
  params.devicePath = DevicePathFor(comNumber_);
  params.line = line_;
  params.inSize = inSize_;
  params.outSize = outSize_;
  params.dtr = dtr_;
  params.rts = rts_;
  params.handshake = hwFlowOptions_;
  const int result = dispatcher->Init(params);
  if (result != 0) {
    state_ = TPortState::Closed;
    RaiseOpenError(result);
  }

  dispatcher_ = std::move(dispatcher);
  state_ = TPortState::Open;
  try {
    dispatcher_->SetAvailThreshold(availThreshold_);
    dispatcher_->SetEventChar(eventChar_);
    ApplyHWFlow();
    RaiseSerialError(dispatcher_->SetDTR(dtr_));
    RaiseSerialError(dispatcher_->SetRTS(rts_));
    dispatcher_->RegisterReceiver(receiver_);
  } catch (...) {
    DiscardDispatcher();
    state_ = TPortState::Closed;
    throw;
  }
  PortOpened();
}

void TCustomSerialPort::DoClose() {
  if (state_ != TPortState::Open)
    return;
  state_ = TPortState::ShuttingDown;
  if (handlerDepth_ > 0) {
    // The handler's frames still use the dispatcher; it goes when they return.
    closeDeferred_ = true;
    dispatcher_->MarkForClosing();
    return;
  }
  FinishClose();
}

void TCustomSerialPort::FinishClose() {
  closeDeferred_ = false;
  DiscardDispatcher();
  state_ = TPortState::Closed;
  PortClosed();
  if (openPending_) {
    openPending_ = false;
    DoOpen();
  }
}

void TCustomSerialPort::DiscardDispatcher() {
  if (!dispatcher_)
    return;
  dispatcher_->Done();
  dispatcher_->UnregisterReceiver(receiver_);
  dispatcher_.reset();
}

void TCustomSerialPort::HandleAvail(quint16 count, TDeliveryTicket& ticket) {
  if (state_ != TPortState::Open) {
    FinishAvail(ticket);
    return;
  }
  ++handlerDepth_;
  try {
    TriggerAvail(count);
  } catch (...) {
    --handlerDepth_;
    FinishAvail(ticket);
    if (handlerDepth_ == 0 && closeDeferred_) {
      // The handler's own error is the one to report.
      try {
        FinishClose();
      } catch (...) {
      }
    }
    throw;
  }
  --handlerDepth_;
  FinishAvail(ticket);
  if (handlerDepth_ == 0 && closeDeferred_)
    FinishClose();
}

void TCustomSerialPort::FinishAvail(TDeliveryTicket& ticket) {
  ticket.Finish();
  // The bytes the handler took go now; a dispatcher of a later opening has
  // nothing to do with this ticket and ignores it.
  if (dispatcher_)
    dispatcher_->HandlerReturned(ticket);
}

void TCustomSerialPort::HandleDeviceLost(quint64 dispatcherId) {
  if (!dispatcher_ || dispatcher_->Id() != dispatcherId || state_ != TPortState::Open)
    return;
  DoClose();
  DeviceLost();
}

void TCustomSerialPort::RequireDispatcher() {
  if (!dispatcher_ && autoOpen_ && state_ == TPortState::Closed)
    DoOpen();
  if (!dispatcher_)
    throw ECommNotOpen();
}

quint8 TCustomSerialPort::ReceiveChar() {
  if (state_ == TPortState::ShuttingDown)
    return 0;
  RequireDispatcher();
  quint8 byte = 0;
  RaiseSerialError(dispatcher_->TakeByte(byte));
  return byte;
}

void TCustomSerialPort::TransmitString(const QByteArray& text) {
  if (state_ == TPortState::ShuttingDown)
    return;
  RequireDispatcher();
  if (text.isEmpty())
    return;
  RaiseSerialError(dispatcher_->PutBlock(
      {reinterpret_cast<const quint8*>(text.constData()), static_cast<std::size_t>(text.size())}));
}

quint16 TCustomSerialPort::InBuffUsed() const {
  return dispatcher_ ? static_cast<quint16>(dispatcher_->UnreadCount()) : 0;
}

quint16 TCustomSerialPort::OutBuffUsed() const {
  return dispatcher_ ? static_cast<quint16>(dispatcher_->OutBuffUsed()) : 0;
}

quint16 TCustomSerialPort::OutBuffFree() const {
  return dispatcher_ ? static_cast<quint16>(dispatcher_->OutBuffFree()) : 0;
}

bool TCustomSerialPort::InHandler() const { return dispatcher_ && dispatcher_->InHandler(); }

std::string TCustomSerialPort::DeviceName() const { return DeviceNameFor(comNumber_); }

void TCustomSerialPort::ApplyLine(const TLineSettings& line) {
  if (line.dataBits < 5 || line.dataBits > 8 || (line.stopBits != 1 && line.stopBits != 2))
    RaiseSerialError(-EINVAL);
  if (dispatcher_ && state_ == TPortState::Open)
    RaiseSerialError(dispatcher_->SetLine(line));
  line_ = line;
}

void TCustomSerialPort::SetBaud(qint32 value) { ChangeLine(&TLineSettings::baud, value); }

void TCustomSerialPort::SetParity(TParity value) { ChangeLine(&TLineSettings::parity, value); }

void TCustomSerialPort::SetDataBits(int value) { ChangeLine(&TLineSettings::dataBits, value); }

void TCustomSerialPort::SetStopBits(int value) { ChangeLine(&TLineSettings::stopBits, value); }

void TCustomSerialPort::SetSWFlowOptions(TSWFlowOptions value) { ChangeLine(&TLineSettings::swFlow, value); }

void TCustomSerialPort::SetXOnChar(quint8 value) { ChangeLine(&TLineSettings::xonChar, value); }

void TCustomSerialPort::SetXOffChar(quint8 value) { ChangeLine(&TLineSettings::xoffChar, value); }

void TCustomSerialPort::SetInSize(quint16 value) {
  inSize_ = value;
  if (dispatcher_ && state_ == TPortState::Open) {
    dispatcher_->SetInSize(value);
    ApplyHWFlow();
  }
}

void TCustomSerialPort::SetHWFlowOptions(THWFlowOptions value) {
  hwFlowOptions_ = value;
  if (state_ == TPortState::Open)
    ApplyHWFlow();
}

void TCustomSerialPort::SetBufferFull(quint16 value) {
  bufferFull_ = value;
  if (state_ == TPortState::Open)
    ApplyHWFlow();
}

void TCustomSerialPort::SetBufferResume(quint16 value) {
  bufferResume_ = value;
  if (state_ == TPortState::Open)
    ApplyHWFlow();
}

void TCustomSerialPort::ApplyHWFlow() {
  // Only an open port settles the thresholds, so the order in which the
  // properties are set beforehand does not matter.
  if (hwFlowOptions_) {
    if (bufferFull_ == 0 || bufferFull_ > inSize_)
      bufferFull_ = static_cast<quint16>(std::lround(inSize_ * 0.9));
    if (bufferResume_ == 0 || bufferResume_ > bufferFull_)
      bufferResume_ = static_cast<quint16>(std::lround(inSize_ * 0.1));
  }
  if (dispatcher_)
    RaiseSerialError(dispatcher_->SetHandshake({hwFlowOptions_, bufferFull_, bufferResume_}));
}

void TCustomSerialPort::SetDTR(bool value) {
  dtr_ = value;
  if (dispatcher_ && state_ == TPortState::Open)
    RaiseSerialError(dispatcher_->SetDTR(value));
}

void TCustomSerialPort::SetRTS(bool value) {
  rts_ = value;
  if (dispatcher_ && state_ == TPortState::Open)
    RaiseSerialError(dispatcher_->SetRTS(value));
}

void TCustomSerialPort::SetAvailThreshold(quint16 value) {
  availThreshold_ = value;
  if (dispatcher_)
    dispatcher_->SetAvailThreshold(value);
}

void TCustomSerialPort::SetEventChar(int value) {
  eventChar_ = value;
  if (dispatcher_)
    dispatcher_->SetEventChar(value);
}

std::unique_ptr<TBaseDispatcher> TCustomSerialPort::CreateDispatcher() {
  return std::make_unique<TPosixDispatcher>(this);
}

void TCustomSerialPort::TriggerAvail(quint16) {}

void TCustomSerialPort::PortOpened() {}

void TCustomSerialPort::PortClosed() {}

void TCustomSerialPort::DeviceLost() {}

TSerialPort::TSerialPort(QObject* parent) : TCustomSerialPort(parent) {}

void TSerialPort::TriggerAvail(quint16 count) {
  // A copy, so that a handler may replace itself while it runs.
  if (const TTriggerAvailEvent handler = onTriggerAvail_)
    handler(*this, count);
}

void TSerialPort::PortOpened() {
  if (const TPortEvent handler = onPortOpen_)
    handler(*this);
}

void TSerialPort::PortClosed() {
  if (const TPortEvent handler = onPortClose_)
    handler(*this);
}

void TSerialPort::DeviceLost() {
  if (const TPortEvent handler = onDeviceLost_)
    handler(*this);
}
