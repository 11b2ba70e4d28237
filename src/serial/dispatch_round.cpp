// The worker threads' side of TBaseDispatcher: the event hand-over, the
// dispatch round with its notification delivery, and the output round.

#include "serial/base_dispatcher.h"

#include "serial/delivery_ticket.h"
#include "serial/notification_events.h"

#include <QScopeGuard>

#include <algorithm>
#include <cstring>

void TBaseDispatcher::EventIteration() {
  const unsigned events = WaitDeviceEvent(watchInput_.load());
  if (events == 0 || Terminating())
    return;
  if (events == devData && TakeAhead())
    return;
  std::unique_lock lock(signalMutex_);
  pendingEvents_ |= events;
  signalCv_.notify_all();
  // The device stays quiet for us until the dispatch thread has dealt with
  // this event, so a level-triggered condition cannot make us spin.
  signalCv_.wait(lock, [this] { return pendingEvents_ == 0 || terminating_.load(); });
}

// With an event character set, a line that arrives in pieces is taken into
// the ring here, piece by piece, as the device reports it: a piece costs
// this thread's one wake-up instead of a round of both threads. The
// dispatch thread is woken when a notification may be due (the event
// character is in, or half the ring is full) and finds a gathering that
// never ends by its deadline. Everything else - no event character, a
// handler running (no new bytes while it runs), a full ring, a device
// going - takes the dispatch round as before.
bool TBaseDispatcher::TakeAhead() {
  if (eventChar_.load() < 0 || closing_ || lost_)
    return false;
  std::lock_guard take(takeMutex_);
  {
    std::lock_guard lock(receiveLock_);
    if (inHandler_ || receiveRing_.Full())
      return false;
  }
  if (!TakeFromDevice(false) || lost_)
    return false;
  bool due;
  {
    std::lock_guard lock(receiveLock_);
    // A full ring leaves bytes in the device that the poll would report
    // again at once: the dispatch round stops watching it.
    if (receiveRing_.Full())
      return false;
    due = eventCharSeen_ || receiveRing_.Count() >= kReceiveRingSize / 2;
  }
  if (due)
    Kick();
  return true;
}

bool TBaseDispatcher::WaitForRound(unsigned& events) {
  // Bytes gathered for their event character are announced by their limit.
  // The event thread may begin a gathering at any moment without waking
  // this thread, so with an event character set no wait is longer than
  // the limit: the deadline is then never missed by more than a moment.
  auto wait = std::chrono::steady_clock::duration(eventChar_.load() >= 0 ? std::min(kRoundInterval, kGatherLimit)
                                                                         : kRoundInterval);
  {
    std::lock_guard lock(receiveLock_);
    if (gathering_)
      wait = std::clamp(gatherSince_ + kGatherLimit - std::chrono::steady_clock::now(),
                        std::chrono::steady_clock::duration::zero(), wait);
  }
  std::unique_lock lock(signalMutex_);
  signalCv_.wait_for(lock, wait, [this] {
    return pendingEvents_ != 0 || kick_ || terminating_.load();
  });
  if (terminating_)
    return false;
  events = pendingEvents_;
  kick_ = false;
  return true;
}

void TBaseDispatcher::FinishRound(unsigned events) {
  if (events == 0)
    return;
  {
    std::lock_guard lock(signalMutex_);
    pendingEvents_ = 0;
  }
  signalCv_.notify_all();
}

void TBaseDispatcher::DispatchRound(unsigned events) {
  if (!closing_) {
    {
      std::lock_guard take(takeMutex_);
      TakeFromDevice((events & devHangup) != 0);
    }
    ApplyInputFlow();
    // Bytes that came in before the device went are announced first.
    CheckAvail();
    ReportDeviceLost();
  }
  UpdateInputWatch();
}

bool TBaseDispatcher::TakeFromDevice(bool hangupSeen) {
  if (lost_)
    return false;
  bool tookAny = false;
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
        gatherSince_ = std::chrono::steady_clock::now();
      }
      tookAny = true;
      // A terminal hands over all it holds, up to the room given: a shorter
      // read has emptied it, and asking again would only be told so. Bytes
      // that come in meanwhile are reported by the next wait.
      if (static_cast<std::size_t>(got) < run.size() && !hangupSeen)
        return true;
      continue;
    }
    // A hang-up reported with nothing left to read is the end of the device.
    if (got < 0 || (hangupSeen && !tookAny))
      MarkLost();
    return tookAny;
  }
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
  bool ringFull;
  bool eventCharSeen;
  std::chrono::steady_clock::time_point gatherSince;
  {
    std::lock_guard lock(receiveLock_);
    unread = receiveRing_.Count();
    written = written_;
    ringFull = receiveRing_.Full();
    eventCharSeen = eventCharSeen_;
    gatherSince = gatherSince_;
  }
  // Whatever this round decides, bytes are gathered for their event
  // character only while this round says so: a gathering left standing
  // would make the dispatch thread wake at a deadline long past, again and
  // again. Bytes the event thread has taken since they were counted keep
  // what their take set.
  bool stillGathering = false;
  bool delivered = false;
  const auto settle = qScopeGuard([this, &stillGathering, &delivered, written] {
    if (stillGathering)
      return;
    std::lock_guard lock(receiveLock_);
    if (written_ != (delivered ? notifiedWritten_ : written))
      return;
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
  // off) they are offered again every round instead, or the link would stand
  // still for good.
  const bool heldOff = ringFull || ((hwOptions_.load() & hwfUseDTR) && !dtrFlowAsserted_);
  if (written == notifiedWritten_ && !heldOff)
    return;
  // Waiting for the event character: not past the limit, nor with the ring
  // half full.
  if (eventChar_.load() >= 0 && !eventCharSeen && !heldOff && unread < kReceiveRingSize / 2 &&
      std::chrono::steady_clock::now() - gatherSince < kGatherLimit) {
    stillGathering = true;
    return;
  }
  delivered = true;
  Deliver();
}

void TBaseDispatcher::Deliver() {
  std::vector<QObject*> receivers;
  quint16 count;
  {
    // Not in the middle of the event thread's take: from here until the
    // release the ring takes no new bytes, and Count is all it holds.
    std::lock_guard take(takeMutex_);
    std::scoped_lock both(handlerLock_, receiveLock_);
    count = static_cast<quint16>(receiveRing_.Count());
    notifiedWritten_ = written_;
    receivers = receivers_;
    inHandler_ = true;
    getCount_ = 0;
    largestCount_ = 0;
    handlerTicket_.reset();
  }
  for (QObject* receiver : receivers) {
    auto ticket = std::make_shared<TDeliveryTicket>();
    {
      std::lock_guard lock(handlerLock_);
      if (closing_ || terminating_)
        break;
      // Unregistered meanwhile: its object may be gone.
      if (std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end())
        continue;
      {
        // This receiver's handler reads from the read index again. What the
        // previous one took is kept in the largest count first: a handler
        // still running past the limit may have read since it was measured.
        // From here its reads are outside a handler and consume at once.
        std::lock_guard receiveLock(receiveLock_);
        largestCount_ = std::max(largestCount_, getCount_);
        getCount_ = 0;
        handlerTicket_ = ticket;
      }
      {
        std::lock_guard deliveryLock(deliveryMutex_);
        currentTicket_ = ticket;
        if (terminating_)
          ticket->Cancel();
      }
      PostNotification(receiver, new TAvailEvent(handle_, id_, count, ticket));
    }
    ticket->WaitFinished(kNotifyLimit);
    {
      std::lock_guard deliveryLock(deliveryMutex_);
      currentTicket_.reset();
    }
    std::lock_guard receiveLock(receiveLock_);
    largestCount_ = std::max(largestCount_, getCount_);
  }
  std::size_t released;
  {
    // Measured again under the same locks as the release: a read that came
    // in after the measurement above (a handler still running past the
    // limit) must be released with the rest, or its byte would come twice.
    std::scoped_lock both(handlerLock_, receiveLock_);
    largestCount_ = std::max(largestCount_, getCount_);
    released = largestCount_;
    receiveRing_.CommitRead(released);
    inHandler_ = false;
    getCount_ = 0;
    largestCount_ = 0;
    // A handler still running past the limit now consumes its reads at once.
    handlerTicket_.reset();
  }
  // Freed room may let the bytes the device holds in.
  if (released > 0)
    Kick();
}

void TBaseDispatcher::UpdateInputWatch() {
  bool wanted;
  {
    std::lock_guard lock(receiveLock_);
    wanted = !receiveRing_.Full();
  }
  wanted = wanted && !lost_ && !closing_;
  if (!wanted) {
    watchInput_ = false;
  } else if (!watchInput_.exchange(true)) {
    WakeEventThread();
  }
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
