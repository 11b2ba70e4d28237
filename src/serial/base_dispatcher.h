#pragma once

#include "serial/byte_ring.h"
#include "serial/serial_types.h"

#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

class QObject;
class TCustomSerialPort;
class TDeliveryTicket;
class TComThread;
class TOutThread;

// What the event thread saw on the device.
enum TDeviceEvent : unsigned {
  devData = 0x1,    // bytes (or an end-of-file) to read
  devHangup = 0x2,  // hang-up or error condition on the descriptor
};

enum class TModemLine { DTR, RTS, DSR, CTS };

// Everything Init needs, taken from the port's properties.
struct TDeviceParams {
  std::string devicePath;
  TLineSettings line;
  quint16 inSize = 4096;
  quint16 outSize = 4096;
  bool dtr = true;
  bool rts = true;
  THWFlowOptions handshake;  // decides which of DTR and RTS are left to the device
};

// One dispatcher per open port: the device, the 8192-byte receive ring, the
// output ring and two worker threads. The receive thread waits on the device,
// moves its bytes into the ring and decides when the main thread is told;
// the output thread writes the output ring. Bytes-available notifications
// reach the main thread as posted events, one at a time: the receive thread
// posts one to each registered receiver in turn and goes back to the device
// without waiting; the handler's return on the main thread ends it (or the
// receive thread gives up on it after kNotifyLimit). While a handler runs,
// TakeByte peeks; the bytes the handler took are released only after it has
// returned. While a notification is out, no new bytes are taken.
//
// A round of the receive thread costs one wake-up, so it wakes only for a
// reason: the device has something (with an event character set, the
// terminal gathers a line and reports it whole), a deadline (a notification's
// limit, a gathering's limit, a held-off line's next offer) or a call from
// the main thread that changes what is to be done.
//
// The in-handler flag covers the whole delivery, from before the first event
// is posted until the bytes are released. Only the reads of the handler whose
// ticket is current and running peek; any other read on the main thread
// meanwhile (before the handler starts, after it returns, once the limit has
// passed, or when the event was dropped as stale) is outside a handler and
// consumes at once, starting after the bytes the delivery's handlers have
// taken so far.
//
// Locks, in the order they are taken: deliveryMutex_ (the notification under
// way: its receivers, its ticket, its deadline), handlerLock_ (the receiver
// list and the in-handler flag), receiveLock_ (the receive ring, the
// handler's byte counts and the handler's ticket), a ticket's own lock;
// outputLock_ guards the output ring on its own. The in-handler flag is
// written holding both handlerLock_ and receiveLock_, so either is enough to
// read it.
class TBaseDispatcher {
public:
  static constexpr std::size_t kReceiveRingSize = 8192;
  // How often bytes are offered again while the line is held off.
  static constexpr std::chrono::milliseconds kRoundInterval{50};
  static constexpr std::chrono::milliseconds kNotifyLimit{3000};
  static constexpr std::chrono::milliseconds kThreadStartLimit{3000};
  // With an event character set, bytes that do not end in one are still
  // notified once the first of them has waited this long. The analyser's
  // longest record (about 1300 characters, 113 ms at 115200 baud) arrives
  // whole within it, so a line costs one notification; a terminal keeps
  // 4095 bytes of a gathered line, 355 ms at that rate.
  static constexpr std::chrono::milliseconds kGatherLimit{150};

  // Registers the dispatcher in the process-wide list; no device yet.
  explicit TBaseDispatcher(TCustomSerialPort* owner);
  virtual ~TBaseDispatcher();
  TBaseDispatcher(const TBaseDispatcher&) = delete;
  TBaseDispatcher& operator=(const TBaseDispatcher&) = delete;

  int Handle() const { return handle_; }
  // Unique for the life of the process, unlike the handle.
  quint64 Id() const { return id_; }
  TCustomSerialPort* Owner() const { return owner_; }

  // Opens and sets up the device and starts the threads: 0, or a negated
  // platform error number. On failure nothing stays open.
  int Init(const TDeviceParams& params);

  // The input queue size the handshake thresholds are checked against.
  void SetInSize(quint16 inSize);
  // 0, or -EINVAL when, with any option set, bufferFull exceeds the input
  // size or bufferResume exceeds bufferFull.
  int SetHandshake(const THandshake& handshake);
  int SetLine(const TLineSettings& line);
  // Sets a line that is not under handshake control; 0 or a negated errno.
  int SetDTR(bool state);
  int SetRTS(bool state);
  void SetAvailThreshold(quint16 threshold);
  // -1 (the default): every round with new bytes notifies. A character
  // (0 to 255): a notification waits for it, so a line arriving in pieces
  // is announced once, when its end comes; bytes without it are announced
  // after kGatherLimit all the same, and all bytes are announced in order.
  void SetEventChar(int character);

  void RegisterReceiver(QObject* receiver);
  void UnregisterReceiver(QObject* receiver);

  // 0 with the next unread byte, or ecBufferIsEmpty. Inside a handler the
  // k-th call returns the k-th unread byte without consuming it; outside one
  // the byte is consumed at once.
  int TakeByte(quint8& out);
  // 0, ecOutputBufferTooSmall (nothing queued) or ecPutBlockFail.
  int PutBlock(std::span<const quint8> data);

  std::size_t UnreadCount() const;
  std::size_t OutBuffUsed() const;
  std::size_t OutBuffFree() const;
  bool InHandler() const;
  bool DeviceLost() const { return lost_.load(); }
  bool Running() const { return running_; }

  // Main thread, after the handler of the notification that carried ticket
  // has returned: releases the bytes it took, or notifies the next receiver.
  // A ticket no longer current (its limit passed) changes nothing.
  void HandlerReturned(const TDeliveryTicket& ticket);

  // Used while a handler runs on the main thread: no further bytes are taken
  // and no further notifications made; Done follows when the handler returns.
  void MarkForClosing();
  bool MarkedForClosing() const { return closing_.load(); }

  // Ends the threads, purges and closes the device. Must not be called from
  // inside a notification handler of this dispatcher (see MarkForClosing).
  void Done();

protected:
  // Platform operations. Return 0 or a negated errno unless said otherwise.
  virtual int CreateWakeUps() = 0;
  virtual void DestroyWakeUps() = 0;
  virtual int OpenDevice(const std::string& path) = 0;
  virtual void CloseDevice() = 0;  // purges, restores, unlocks, closes
  virtual int ApplyLine(const TLineSettings& line) = 0;
  virtual int ApplyHandshake(const THandshake& handshake) = 0;
  virtual int SetModemLine(TModemLine line, bool state) = 0;
  // True when the line is asserted or the device has no such line.
  virtual bool ModemLineAsserted(TModemLine line) = 0;
  // Bytes > 0, 0 when nothing is queued now, -1 when the device is gone.
  virtual long ReadDevice(quint8* buffer, std::size_t size) = 0;
  // Bytes > 0, 0 when the device takes nothing now, -1 when it is gone.
  virtual long WriteDevice(const quint8* data, std::size_t size) = 0;
  virtual std::size_t DeviceInputQueued() = 0;
  // Receive thread: blocks until a device event (returned as TDeviceEvent
  // bits), a wake-up or the timeout (both return 0; a negative timeout waits
  // for ever). The device is watched only when asked.
  virtual unsigned WaitDeviceEvent(bool watchDevice, int timeoutMs) = 0;
  virtual void WakeEventThread() = 0;
  // Receive thread: lineEnd >= 0 lets the device hold received bytes back
  // until a line ending in lineEnd (or a line feed) is complete, and report
  // them then; -1 makes it report bytes as they come. False when the device
  // cannot gather lines for that character (it then reports bytes as they
  // come). Switching either way keeps every byte and its order.
  virtual bool GatherLines(int lineEnd) = 0;
  // Output thread: blocks until woken, or until the device takes bytes again
  // when deviceBusy, or for a short re-check interval when recheckSoon.
  virtual void WaitOutputReady(bool deviceBusy, bool recheckSoon) = 0;
  virtual void WakeOutputThread() = 0;

  // Called by derived destructors while their overrides still exist.
  void ShutDown();

private:
  friend class TComThread;
  friend class TOutThread;
  using TClock = std::chrono::steady_clock;

  bool Terminating() const { return terminating_.load(); }

  // Under receiveLock_: true when the caller is the running handler of the
  // notification being delivered, whose reads peek.
  bool HandlerReading() const;
  // Under receiveLock_: the bytes the delivery's handlers have taken and
  // that are not yet released; a read outside the handler starts after them.
  std::size_t TakenByHandlers() const;

  // Receive thread.
  void ReceiveIteration();
  void ReceiveRound(unsigned events);
  // The device's way of reporting bytes for the next wait: gathering lines
  // while the event character is set and the device is watched, unless a
  // gathering found the line quiet (then the next bytes come as they are).
  void ChooseGathering(bool watch);
  // The bytes taken; firstByteBy is the latest time the first of them can
  // have arrived.
  std::size_t TakeFromDevice(bool hangupSeen, TClock::time_point firstByteBy);
  void ApplyInputFlow();
  bool HeldOff();
  void ReportDeviceLost();
  void CheckAvail();
  // The delivery of one notification, to each receiver in turn. Either
  // thread, holding deliveryMutex_ (Start on the receive thread only).
  void StartDelivery();
  void PostToNextReceiver();
  void AdvanceDelivery();
  void ReleaseDelivery();
  bool DeliveryOutstanding();
  // Receive thread: gives up on a handler past its limit.
  void CheckDeliveryLimit(TClock::time_point now);
  // Output thread.
  void OutputRound();

  void Kick();
  void MarkLost();
  void StopThreads();

  TCustomSerialPort* const owner_;
  const quint64 id_;
  int handle_ = -1;
  bool running_ = false;
  quint16 inSize_ = 4096;

  mutable std::mutex receiveLock_;
  TByteRing receiveRing_;
  quint64 written_ = 0;  // bytes ever put in the receive ring
  std::size_t getCount_ = 0;
  std::size_t largestCount_ = 0;
  // The ticket of the receiver now being notified; reset when the bytes are
  // released.
  std::shared_ptr<TDeliveryTicket> handlerTicket_;

  mutable std::mutex outputLock_;
  TByteRing outputRing_;

  mutable std::mutex handlerLock_;
  std::vector<QObject*> receivers_;
  bool inHandler_ = false;

  // The notification under way: its receivers, the next of them, its count,
  // the ticket of the receiver now notified and when its time is up.
  std::mutex deliveryMutex_;
  std::vector<QObject*> deliveryReceivers_;
  std::size_t nextReceiver_ = 0;
  quint16 deliveryCount_ = 0;
  std::shared_ptr<TDeliveryTicket> currentTicket_;
  TClock::time_point deliveryDeadline_;
  // The receive thread stopped watching the device until the notification
  // under way is released: the release wakes it.
  std::atomic<bool> parked_{false};

  // Receive thread only. Counting all bytes ever written, rather than the
  // ring's write index, means a round that fills the whole ring still counts
  // as new bytes.
  quint64 notifiedWritten_ = 0;
  bool lostReported_ = false;
  // The device gathers lines (for deviceLineEnd_); since linesSince_ bytes
  // of an unfinished line may wait in it unseen.
  bool deviceGathers_ = false;
  int deviceLineEnd_ = -1;
  TClock::time_point linesSince_;
  // A gathering found the line quiet: the device reports bytes as they come
  // until some arrive.
  bool lineQuiet_ = true;
  // The device handed over more than its line can carry: lines are not
  // gathered for it any more.
  bool fasterThanLine_ = false;
  TClock::time_point lastTakeAt_;
  // Bytes a second at the line's settings (10 bits a character), and what
  // a device may hand over beyond that at once (an adapter's latency).
  std::atomic<double> lineBytesPerSecond_{11520.0};
  static constexpr double kLineBurstAllowance = 1024.0;
  // The bytes not yet notified hold the event character; when the first of
  // them came (receiveLock_).
  bool eventCharSeen_ = false;
  bool gathering_ = false;
  TClock::time_point gatherSince_;
  std::atomic<bool> dtrFlowAsserted_{true};

  std::atomic<bool> terminating_{false};
  std::atomic<bool> closing_{false};
  std::atomic<bool> lost_{false};
  std::atomic<quint16> availThreshold_{1};
  std::atomic<int> eventChar_{-1};
  std::atomic<unsigned> hwOptions_{0};
  std::atomic<quint16> bufferFull_{0};
  std::atomic<quint16> bufferResume_{0};

  std::unique_ptr<TComThread> comThread_;
  std::unique_ptr<TOutThread> outThread_;
};
