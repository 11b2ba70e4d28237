#include "serial/base_dispatcher.h"

#include "serial/delivery_ticket.h"
#include "serial/dispatcher_list.h"
#include "serial/dispatcher_threads.h"
#include "serial/serial_errors.h"

#include <algorithm>
#include <cerrno>

namespace {

quint64 NextDispatcherId() {
  static std::atomic<quint64> counter{0};
  return ++counter;
}

}  // namespace

TBaseDispatcher::TBaseDispatcher(TCustomSerialPort* owner)
    : owner_(owner), id_(NextDispatcherId()) {
  handle_ = TDispatcherList::Add(this);
}

TBaseDispatcher::~TBaseDispatcher() { TDispatcherList::Remove(handle_); }

int TBaseDispatcher::Init(const TDeviceParams& params) {
  if (running_)
    return -EBUSY;
  // The wake-ups are the threads' event objects; failing to make them is
  // reported like any other shortage of resources.
  if (CreateWakeUps() != 0)
    return -ENOMEM;

  int result = OpenDevice(params.devicePath);
  if (result != 0) {
    DestroyWakeUps();
    return result;
  }

  inSize_ = params.inSize;
  receiveRing_.Reset(kReceiveRingSize);
  outputRing_.Reset(params.outSize);
  written_ = 0;
  notifiedWritten_ = 0;
  getCount_ = largestCount_ = 0;
  inHandler_ = false;
  handlerTicket_.reset();
  lostReported_ = false;
  terminating_ = false;
  closing_ = false;
  lost_ = false;
  parked_ = false;
  deviceGathers_ = false;
  deviceLineEnd_ = -1;
  lineQuiet_ = true;
  fasterThanLine_ = false;
  lastTakeAt_ = TClock::now();
  lineBytesPerSecond_ = params.line.baud / 10.0;
  gathering_ = false;
  eventCharSeen_ = false;

  // A line under handshake is the device's to drive; the rest take their
  // given state. A device without modem lines simply has nothing to set.
  if (!(params.handshake & hwfUseDTR))
    SetModemLine(TModemLine::DTR, params.dtr);
  if (!(params.handshake & hwfUseRTS))
    SetModemLine(TModemLine::RTS, params.rts);

  result = ApplyLine(params.line);
  if (result == 0) {
    comThread_ = std::make_unique<TComThread>(*this);
    outThread_ = std::make_unique<TOutThread>(*this);
    for (TDispatcherThread* thread :
         {static_cast<TDispatcherThread*>(comThread_.get()),
          static_cast<TDispatcherThread*>(outThread_.get())}) {
      result = thread->Start(kThreadStartLimit);
      if (result != 0)
        break;
    }
  }
  if (result != 0) {
    StopThreads();
    CloseDevice();
    DestroyWakeUps();
    return result;
  }
  running_ = true;
  return 0;
}

void TBaseDispatcher::SetInSize(quint16 inSize) { inSize_ = inSize; }

int TBaseDispatcher::SetHandshake(const THandshake& handshake) {
  // The thresholds only mean something while a line is under handshake.
  if (handshake.options &&
      (handshake.bufferFull > inSize_ || handshake.bufferResume > handshake.bufferFull))
    return -EINVAL;
  const int result = ApplyHandshake(handshake);
  if (result != 0)
    return result;
  bufferFull_ = handshake.bufferFull;
  bufferResume_ = handshake.bufferResume;
  const bool dtrNewlyUnderFlow =
      (handshake.options & hwfUseDTR) && !(hwOptions_.load() & hwfUseDTR);
  hwOptions_ = static_cast<unsigned>(handshake.options.toInt());
  if (dtrNewlyUnderFlow) {
    // The flow starts with the line raised; the dispatch thread drops it once
    // the input passes the full threshold.
    SetModemLine(TModemLine::DTR, true);
    dtrFlowAsserted_ = true;
  }
  Kick();
  return 0;
}

int TBaseDispatcher::SetLine(const TLineSettings& line) {
  const int result = ApplyLine(line);
  if (result == 0)
    lineBytesPerSecond_ = line.baud / 10.0;
  return result;
}

int TBaseDispatcher::SetDTR(bool state) {
  if (hwOptions_.load() & hwfUseDTR)
    return 0;
  return SetModemLine(TModemLine::DTR, state);
}

int TBaseDispatcher::SetRTS(bool state) {
  if (hwOptions_.load() & hwfUseRTS)
    return 0;
  return SetModemLine(TModemLine::RTS, state);
}

void TBaseDispatcher::SetAvailThreshold(quint16 threshold) {
  availThreshold_ = threshold;
  Kick();
}

void TBaseDispatcher::SetEventChar(int character) {
  eventChar_ = character;
  Kick();
}

void TBaseDispatcher::RegisterReceiver(QObject* receiver) {
  {
    std::lock_guard lock(handlerLock_);
    if (std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end())
      receivers_.push_back(receiver);
  }
  // Bytes that came in before anyone listened are announced now.
  Kick();
}

void TBaseDispatcher::UnregisterReceiver(QObject* receiver) {
  std::lock_guard lock(handlerLock_);
  receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver),
                   receivers_.end());
}

bool TBaseDispatcher::HandlerReading() const {
  return inHandler_ && handlerTicket_ && handlerTicket_->Running();
}

std::size_t TBaseDispatcher::TakenByHandlers() const {
  return inHandler_ ? std::max(largestCount_, getCount_) : 0;
}

int TBaseDispatcher::TakeByte(quint8& out) {
  bool freedFullRing = false;
  {
    std::lock_guard lock(receiveLock_);
    if (HandlerReading()) {
      if (getCount_ >= receiveRing_.Count())
        return ecBufferIsEmpty;
      out = receiveRing_.PeekAt(getCount_++);
      return ecOK;
    }
    // Outside a handler, also while a notification is on its way or its
    // handler has returned: the bytes the handlers have taken come first in
    // the stream, so they go now together with this one, and any handler
    // still to run starts after them.
    const std::size_t taken = TakenByHandlers();
    if (taken >= receiveRing_.Count())
      return ecBufferIsEmpty;
    freedFullRing = receiveRing_.Full();
    out = receiveRing_.PeekAt(taken);
    receiveRing_.CommitRead(taken + 1);
    getCount_ = 0;
    largestCount_ = 0;
  }
  // The device may be holding bytes back until the ring has room.
  if (freedFullRing)
    Kick();
  return ecOK;
}

int TBaseDispatcher::PutBlock(std::span<const quint8> data) {
  {
    std::lock_guard lock(outputLock_);
    if (data.size() > outputRing_.Free())
      return ecOutputBufferTooSmall;
    if (!outputRing_.Put(data))
      return ecPutBlockFail;
  }
  WakeOutputThread();
  return ecOK;
}

std::size_t TBaseDispatcher::UnreadCount() const {
  std::lock_guard lock(receiveLock_);
  const std::size_t held = receiveRing_.Count();
  const std::size_t taken = HandlerReading() ? getCount_ : TakenByHandlers();
  return held - std::min(held, taken);
}

std::size_t TBaseDispatcher::OutBuffUsed() const {
  std::lock_guard lock(outputLock_);
  return outputRing_.Count();
}

std::size_t TBaseDispatcher::OutBuffFree() const {
  std::lock_guard lock(outputLock_);
  return outputRing_.Free();
}

bool TBaseDispatcher::InHandler() const {
  std::lock_guard lock(receiveLock_);
  return inHandler_;
}

void TBaseDispatcher::MarkForClosing() {
  closing_ = true;
  WakeEventThread();
}

void TBaseDispatcher::Done() {
  if (!running_)
    return;
  StopThreads();
  CloseDevice();
  DestroyWakeUps();
  {
    std::lock_guard lock(outputLock_);
    outputRing_.Clear();
  }
  {
    std::lock_guard delivery(deliveryMutex_);
    currentTicket_.reset();
    deliveryReceivers_.clear();
    std::scoped_lock both(handlerLock_, receiveLock_);
    receiveRing_.Clear();
    inHandler_ = false;
    getCount_ = largestCount_ = 0;
    handlerTicket_.reset();
  }
  parked_ = false;
  running_ = false;
}

void TBaseDispatcher::ShutDown() { Done(); }

void TBaseDispatcher::StopThreads() {
  terminating_ = true;
  WakeEventThread();
  WakeOutputThread();
  // Joined before any of them is destroyed: a thread object must outlive
  // the thread that runs its Execute().
  for (TDispatcherThread* thread :
       {static_cast<TDispatcherThread*>(comThread_.get()),
        static_cast<TDispatcherThread*>(outThread_.get())}) {
    if (thread)
      thread->Join();
  }
  comThread_.reset();
  outThread_.reset();
}

// The receive thread runs a round now: something it decides on has changed.
void TBaseDispatcher::Kick() { WakeEventThread(); }

void TBaseDispatcher::MarkLost() {
  // Either worker thread; the receive thread reports the loss in its round.
  if (!lost_.exchange(true))
    Kick();
}
