// The worker threads' side of TBaseDispatcher: the receive thread's wait and
// round with the notifications it starts, the main thread's end of a
// notification, and the output round.

#include "serial/base_dispatcher.h"

#include "serial/delivery_ticket.h"
#include "serial/notification_events.h"

#include <QScopeGuard>

#include <algorithm>
#include <cstring>

namespace {

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline,
                      std::chrono::steady_clock::time_point now) {
  if (deadline == std::chrono::steady_clock::time_point::max())
    return -1;
  if (deadline <= now)
    return 0;
  // Rounded up: waking before the deadline would only mean waiting again.
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
  return static_cast<int>(std::min<std::chrono::milliseconds::rep>(left.count(), 60'000));
}

}  // namespace

void TBaseDispatcher::ReceiveIteration() {
  const TClock::time_point now = TClock::now();
  bool delivering;
  bool ringFull;
  std::size_t unread;
  bool gathering;
  TClock::time_point gatherSince;
  {
    std::lock_guard lock(receiveLock_);
    delivering = inHandler_;
    ringFull = receiveRing_.Full();
    unread = receiveRing_.Count();
    gathering = gathering_;
    gatherSince = gatherSince_;
  }
  TClock::time_point deadline = TClock::time_point::max();
  if (delivering) {
    std::lock_guard lock(deliveryMutex_);
    deadline = deliveryDeadline_;
  }
  // Parked: a notification is out and this thread has something to do that
  // must wait for its release, which wakes it.
  const bool parked = delivering && parked_;
  if (gathering && !parked)
    deadline = std::min(deadline, gatherSince + kGatherLimit);
  // Not watched: a full ring (the device's queue and the handshake hold the
  // rest), a notification out while the device has more (no bytes are taken
  // until it is released), a device gone or closing.
  const bool watch = !ringFull && !lost_ && !closing_ && !parked;
  ChooseGathering(watch);
  if (deviceGathers_ && !parked)
    deadline = std::min(deadline, linesSince_ + kGatherLimit);
  // Bytes left unread while the line is held off are offered again now and
  // then, or the link would stand still for good.
  if (!parked && unread > 0 && HeldOff())
    deadline = std::min(deadline, now + kRoundInterval);
  // Closing: a round does nothing more (the handler's return finishes the
  // close), so no deadline may bring one; a deadline already passed would
  // bring one after another. Only the end of the threads wakes it.
  if (closing_)
    deadline = TClock::time_point::max();

  const unsigned events = WaitDeviceEvent(watch, MillisecondsUntil(deadline, now));
  if (Terminating())
    return;
  ReceiveRound(events);
}

void TBaseDispatcher::ChooseGathering(bool watch) {
  const int eventChar = eventChar_.load();
  // A line end the device looks for while no one watches it would only let
  // an unended line run over what the device can hold for it.
  const int lineEnd = (watch && eventChar >= 0 && !lineQuiet_ && !fasterThanLine_) ? eventChar : -1;
  if (lineEnd == deviceLineEnd_)
    return;
  const bool gathers = GatherLines(lineEnd) && lineEnd >= 0;
  deviceLineEnd_ = lineEnd;
  if (gathers && !deviceGathers_)
    linesSince_ = TClock::now();
  deviceGathers_ = gathers;
}

void TBaseDispatcher::ReceiveRound(unsigned events) {
  if (closing_)
    return;
  const TClock::time_point now = TClock::now();
  if (DeliveryOutstanding()) {
    CheckDeliveryLimit(now);
    if (DeliveryOutstanding()) {
      // The device has more, or a deadline has come: it waits until the
      // release wakes this thread.
      parked_ = true;
      return;
    }
  }
  parked_ = false;
  // A line the device gathers that has not ended within the limit: the
  // device hands over what it holds of it, as bytes.
  const bool lineOverdue = deviceGathers_ && now >= linesSince_ + kGatherLimit;
  TClock::time_point firstByteBy = now;
  if (lineOverdue) {
    firstByteBy = linesSince_;
    GatherLines(-1);
    deviceGathers_ = false;
    deviceLineEnd_ = -1;
  }
  const std::size_t taken = TakeFromDevice((events & devHangup) != 0, firstByteBy);
  const bool took = taken > 0;
  if (deviceGathers_ && took)
    linesSince_ = now;
  if (took) {
    // A terminal gathering a line keeps at most 4095 bytes of it and drops
    // the rest until the line ends. At the line's rate the limit fetches a
    // line long before that; a device that hands over more than its line
    // can carry since the last take (a pseudo-terminal, a network bridge)
    // could overrun it, and is read as bytes come from now on.
    const double seconds = std::chrono::duration<double>(now - lastTakeAt_).count();
    if (static_cast<double>(taken) > seconds * lineBytesPerSecond_.load() + kLineBurstAllowance)
      fasterThanLine_ = true;
    lastTakeAt_ = now;
  }
  if (lineOverdue)
    lineQuiet_ = !took;
  else if (took)
    lineQuiet_ = false;
  ApplyInputFlow();
  // Bytes that came in before the device went are announced first.
  CheckAvail();
  ReportDeviceLost();
}

std::size_t TBaseDispatcher::TakeFromDevice(bool hangupSeen, TClock::time_point firstByteBy) {
  if (lost_)
    return 0;
  std::size_t tookAny = 0;
  while (true) {
    std::span<quint8> run;
    {
      std::lock_guard lock(receiveLock_);
      run = receiveRing_.WritableRun();
    }
    // A full ring takes nothing: the bytes wait in the device, whose queue
    // and handshake hold the sender off.
    if (run.empty())
      return tookAny;
    const long got = ReadDevice(run.data(), run.size());
    if (got > 0) {
      const int eventChar = eventChar_.load();
      const bool endsSomething =
          eventChar >= 0 && std::memchr(run.data(), eventChar, static_cast<std::size_t>(got)) != nullptr;
      std::lock_guard lock(receiveLock_);
      receiveRing_.CommitWrite(static_cast<std::size_t>(got));
      written_ += static_cast<quint64>(got);
      eventCharSeen_ = eventCharSeen_ || endsSomething;
      if (!gathering_) {
        gathering_ = true;
        gatherSince_ = firstByteBy;
      }
      tookAny += static_cast<std::size_t>(got);
      // A terminal hands over all it holds, up to the room given: a shorter
      // read has emptied it, and asking again would only be told so. One
      // that gathers lines hands over a line at a time. Bytes that come in
      // meanwhile are reported by the next wait.
      if (static_cast<std::size_t>(got) < run.size() && !hangupSeen && !deviceGathers_)
        return tookAny;
      continue;
    }
    // A hang-up reported with nothing left to read is the end of the device.
    if (got < 0 || (hangupSeen && tookAny == 0))
      MarkLost();
    return tookAny;
  }
}

bool TBaseDispatcher::HeldOff() {
  if ((hwOptions_.load() & hwfUseDTR) && !dtrFlowAsserted_)
    return true;
  std::lock_guard lock(receiveLock_);
  return receiveRing_.Full();
}

void TBaseDispatcher::ApplyInputFlow() {
  if (!(hwOptions_.load() & hwfUseDTR) || lost_)
    return;
  // DTR follows the device's input queue, as on a device that does the
  // handshake itself. This thread empties the device into the ring whenever
  // the ring has room, so bytes pile up in the device only behind a full ring;
  // a queue seen while the ring still has room is taken in the next round.
  // The ring's own unread bytes do not count: they can only be read, and
  // holding the analyser off for them would stop the bytes that bring the
  // next notification.
  bool ringFull;
  {
    std::lock_guard lock(receiveLock_);
    ringFull = receiveRing_.Full();
  }
  const std::size_t queued = DeviceInputQueued();
  if (dtrFlowAsserted_ && ringFull && queued > bufferFull_.load()) {
    SetModemLine(TModemLine::DTR, false);
    dtrFlowAsserted_ = false;
  } else if (!dtrFlowAsserted_ && queued < bufferResume_.load()) {
    SetModemLine(TModemLine::DTR, true);
    dtrFlowAsserted_ = true;
  }
}

void TBaseDispatcher::ReportDeviceLost() {
  if (!lost_ || lostReported_)
    return;
  std::lock_guard lock(handlerLock_);
  if (receivers_.empty())
    return;
  for (QObject* receiver : receivers_)
    PostNotification(receiver, new TDeviceLostEvent(handle_, id_));
  lostReported_ = true;
}

void TBaseDispatcher::CheckAvail() {
  std::size_t unread;
  quint64 written;
  bool eventCharSeen;
  TClock::time_point gatherSince;
  {
    std::lock_guard lock(receiveLock_);
    unread = receiveRing_.Count();
    written = written_;
    eventCharSeen = eventCharSeen_;
    gatherSince = gatherSince_;
  }
  // Whatever this round decides, bytes are gathered for their event
  // character only while this round says so: a gathering left standing
  // would make the receive thread wake at a deadline long past, again and
  // again.
  bool stillGathering = false;
  const auto settle = qScopeGuard([this, &stillGathering] {
    if (stillGathering)
      return;
    std::lock_guard lock(receiveLock_);
    eventCharSeen_ = false;
    gathering_ = false;
  });
  {
    std::lock_guard lock(handlerLock_);
    if (receivers_.empty())
      return;
  }
  const std::size_t threshold = std::max<std::size_t>(availThreshold_.load(), 1);
  if (unread < threshold)
    return;
  // Bytes a handler left unread are offered again with the next bytes that
  // arrive. While none can arrive (the ring is full, or the analyser is held
  // off) they are offered again every round instead.
  const bool heldOff = HeldOff();
  if (written == notifiedWritten_ && !heldOff)
    return;
  // Waiting for the event character: not past the limit, nor with the ring
  // half full.
  if (eventChar_.load() >= 0 && !eventCharSeen && !heldOff && unread < kReceiveRingSize / 2 &&
      TClock::now() - gatherSince < kGatherLimit) {
    stillGathering = true;
    return;
  }
  std::lock_guard lock(deliveryMutex_);
  StartDelivery();
}

bool TBaseDispatcher::DeliveryOutstanding() {
  std::lock_guard lock(receiveLock_);
  return inHandler_;
}

void TBaseDispatcher::StartDelivery() {
  {
    std::scoped_lock both(handlerLock_, receiveLock_);
    deliveryCount_ = static_cast<quint16>(receiveRing_.Count());
    notifiedWritten_ = written_;
    deliveryReceivers_ = receivers_;
    inHandler_ = true;
    getCount_ = 0;
    largestCount_ = 0;
    handlerTicket_.reset();
  }
  nextReceiver_ = 0;
  PostToNextReceiver();
}

void TBaseDispatcher::PostToNextReceiver() {
  while (nextReceiver_ < deliveryReceivers_.size()) {
    QObject* receiver = deliveryReceivers_[nextReceiver_++];
    std::lock_guard lock(handlerLock_);
    if (closing_ || terminating_)
      break;
    // Unregistered meanwhile: its object may be gone.
    if (std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end())
      continue;
    auto ticket = std::make_shared<TDeliveryTicket>();
    {
      // This receiver's handler reads from the read index again.
      std::lock_guard receiveLock(receiveLock_);
      getCount_ = 0;
      handlerTicket_ = ticket;
    }
    currentTicket_ = ticket;
    deliveryDeadline_ = TClock::now() + kNotifyLimit;
    PostNotification(receiver, new TAvailEvent(handle_, id_, deliveryCount_, ticket));
    return;
  }
  ReleaseDelivery();
}

void TBaseDispatcher::AdvanceDelivery() {
  {
    // What this receiver took is kept in the largest count first: a handler
    // still running past the limit may read on. From here its reads are
    // outside a handler and consume at once.
    std::lock_guard lock(receiveLock_);
    largestCount_ = std::max(largestCount_, getCount_);
    getCount_ = 0;
    handlerTicket_.reset();
  }
  currentTicket_.reset();
  PostToNextReceiver();
}

void TBaseDispatcher::ReleaseDelivery() {
  deliveryReceivers_.clear();
  std::size_t released;
  bool wasFull;
  {
    // Measured again under the same locks as the release: a read that came
    // in after the last measurement (a handler still running past the
    // limit) must be released with the rest, or its byte would come twice.
    std::scoped_lock both(handlerLock_, receiveLock_);
    largestCount_ = std::max(largestCount_, getCount_);
    released = largestCount_;
    wasFull = receiveRing_.Full();
    receiveRing_.CommitRead(released);
    inHandler_ = false;
    getCount_ = 0;
    largestCount_ = 0;
    handlerTicket_.reset();
  }
  // The receive thread waits for this when the device had more meanwhile,
  // or when the freed room lets the bytes the device holds in.
  if (parked_.exchange(false) || (wasFull && released > 0))
    Kick();
}

void TBaseDispatcher::HandlerReturned(const TDeliveryTicket& ticket) {
  std::lock_guard lock(deliveryMutex_);
  if (currentTicket_.get() != &ticket)
    return;
  AdvanceDelivery();
}

void TBaseDispatcher::CheckDeliveryLimit(TClock::time_point now) {
  std::lock_guard lock(deliveryMutex_);
  if (!currentTicket_ || now < deliveryDeadline_)
    return;
  currentTicket_->GiveUp();
  AdvanceDelivery();
}

void TBaseDispatcher::OutputRound() {
  if (lost_) {
    // Nowhere to send to: what was queued is dropped rather than left to
    // fill the ring.
    {
      std::lock_guard lock(outputLock_);
      outputRing_.Clear();
    }
    WaitOutputReady(false, false);
    return;
  }
  std::span<const quint8> run;
  {
    std::lock_guard lock(outputLock_);
    run = outputRing_.ReadableRun();
  }
  if (run.empty()) {
    WaitOutputReady(false, false);
    return;
  }
  if ((hwOptions_.load() & hwfRequireDSR) && !ModemLineAsserted(TModemLine::DSR)) {
    WaitOutputReady(false, true);
    return;
  }
  const long put = WriteDevice(run.data(), run.size());
  if (put > 0) {
    std::lock_guard lock(outputLock_);
    outputRing_.CommitRead(static_cast<std::size_t>(put));
  } else if (put == 0) {
    WaitOutputReady(true, false);
  } else {
    MarkLost();
  }
}
