#include "serial/posix_dispatcher.h"

#include "serial/posix_termios.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {

// How often a transmitter held by a low DSR looks at the line again: the
// line's changes cannot be polled for.
constexpr int kDsrRecheckMs = 20;

bool NoModemLines(int error) { return error == ENOTTY || error == EINVAL; }

}  // namespace

TPosixDispatcher::TPosixDispatcher(TCustomSerialPort* owner) : TBaseDispatcher(owner) {}

TPosixDispatcher::~TPosixDispatcher() { ShutDown(); }

int TPosixDispatcher::CreateWakeUps() {
  int result = eventWake_.Create();
  if (result == 0)
    result = outputWake_.Create();
  if (result != 0)
    DestroyWakeUps();
  return result;
}

void TPosixDispatcher::DestroyWakeUps() {
  eventWake_.Close();
  outputWake_.Close();
}

int TPosixDispatcher::OpenDevice(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return -errno;

  int result = 0;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    result = (errno == EWOULDBLOCK) ? -EBUSY : -errno;
  else if (!::isatty(fd))
    result = -ENOTTY;
  else if (::ioctl(fd, TIOCEXCL) != 0)
    result = -errno;
  else if (::tcgetattr(fd, &saved_) != 0)
    result = -errno;
  if (result != 0) {
    ::close(fd);
    return result;
  }
  savedValid_ = true;
  fd_ = fd;

  int lines = 0;
  modemLines_ = !(::ioctl(fd_, TIOCMGET, &lines) != 0 && NoModemLines(errno));
  // Start from empty queues: nothing of a previous session is delivered.
  ::tcflush(fd_, TCIOFLUSH);
  return 0;
}

void TPosixDispatcher::CloseDevice() {
  if (fd_ < 0)
    return;
  // A vanished device fails all of these; closing it must still succeed.
  ::tcflush(fd_, TCIOFLUSH);
  if (savedValid_)
    ::tcsetattr(fd_, TCSANOW, &saved_);
  ::ioctl(fd_, TIOCNXCL);
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
  savedValid_ = false;
}

int TPosixDispatcher::ApplyLine(const TLineSettings& line) {
  std::lock_guard lock(termiosLock_);
  const TLineSettings previous = line_;
  line_ = line;
  const int result = WriteTermios();
  if (result != 0)
    line_ = previous;
  return result;
}

int TPosixDispatcher::ApplyHandshake(const THandshake& handshake) {
  std::lock_guard lock(termiosLock_);
  const THWFlowOptions previous = handshake_;
  handshake_ = handshake.options;
  const int result = WriteTermios();
  if (result != 0) {
    handshake_ = previous;
    return result;
  }
  if (handshake.options & (hwfUseRTS | hwfRequireCTS))
    DisableRs485();
  return 0;
}

int TPosixDispatcher::WriteTermios() {
  termios t{};
  if (::tcgetattr(fd_, &t) != 0)
    return -errno;
  const int result = ComposeTermios(t, line_, handshake_);
  if (result != 0)
    return result;
  ComposeLineGathering(t, lineEnd_);
  if (::tcsetattr(fd_, TCSANOW, &t) != 0)
    return -errno;
  return 0;
}

void TPosixDispatcher::DisableRs485() {
  serial_rs485 rs485{};
  if (::ioctl(fd_, TIOCGRS485, &rs485) != 0)
    return;  // the device has no two-wire mode
  if (rs485.flags & SER_RS485_ENABLED) {
    rs485.flags &= ~static_cast<__u32>(SER_RS485_ENABLED);
    ::ioctl(fd_, TIOCSRS485, &rs485);
  }
}

int TPosixDispatcher::SetModemLine(TModemLine line, bool state) {
  if (!modemLines_ || fd_ < 0)
    return 0;
  int bits = 0;
  if (line == TModemLine::DTR)
    bits = TIOCM_DTR;
  else if (line == TModemLine::RTS)
    bits = TIOCM_RTS;
  else
    return -EINVAL;
  if (::ioctl(fd_, state ? TIOCMBIS : TIOCMBIC, &bits) != 0) {
    if (NoModemLines(errno)) {
      modemLines_ = false;
      return 0;
    }
    return -errno;
  }
  return 0;
}

bool TPosixDispatcher::ModemLineAsserted(TModemLine line) {
  if (!modemLines_ || fd_ < 0)
    return true;
  int bits = 0;
  if (::ioctl(fd_, TIOCMGET, &bits) != 0)
    return true;
  switch (line) {
    case TModemLine::DTR: return (bits & TIOCM_DTR) != 0;
    case TModemLine::RTS: return (bits & TIOCM_RTS) != 0;
    case TModemLine::DSR: return (bits & TIOCM_DSR) != 0;
    case TModemLine::CTS: return (bits & TIOCM_CTS) != 0;
  }
  return true;
}

long TPosixDispatcher::ReadDevice(quint8* buffer, std::size_t size) {
  while (true) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got > 0)
      return static_cast<long>(got);
    if (got == 0)
      return -1;  // end of file on a terminal: hung up
    if (errno == EINTR)
      continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
      return 0;
    // Any other error would be reported again at once by poll(); a device
    // in that state is treated as gone rather than spun on.
    return -1;
  }
}

long TPosixDispatcher::WriteDevice(const quint8* data, std::size_t size) {
  while (true) {
    const ssize_t put = ::write(fd_, data, size);
    if (put > 0)
      return static_cast<long>(put);
    if (put == 0)
      return 0;
    if (errno == EINTR)
      continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
      return 0;
    return -1;
  }
}

std::size_t TPosixDispatcher::DeviceInputQueued() {
  int queued = 0;
  if (::ioctl(fd_, TIOCINQ, &queued) != 0 || queued < 0)
    return 0;
  return static_cast<std::size_t>(queued);
}

unsigned TPosixDispatcher::WaitDeviceEvent(bool watchDevice, int timeoutMs) {
  pollfd fds[2] = {
      {eventWake_.ReadFd(), POLLIN, 0},
      {watchDevice ? fd_ : -1, POLLIN, 0},
  };
  const int ready = ::poll(fds, 2, timeoutMs);
  if (ready < 0) {
    // Only a shortage of kernel memory gets here; do not turn it into a spin.
    if (errno != EINTR)
      std::this_thread::sleep_for(kRoundInterval);
    return 0;
  }
  if (fds[0].revents != 0)
    eventWake_.Drain();
  unsigned events = 0;
  if (fds[1].revents & POLLIN)
    events |= devData;
  if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
    events |= devData | devHangup;
  return events;
}

void TPosixDispatcher::WakeEventThread() { eventWake_.Wake(); }

bool TPosixDispatcher::GatherLines(int lineEnd) {
  std::lock_guard lock(termiosLock_);
  termios t{};
  if (::tcgetattr(fd_, &t) != 0)
    return false;  // the device is going; its loss is seen by the next read
  if (!ComposeLineGathering(t, lineEnd)) {
    lineEnd = -1;
    ComposeLineGathering(t, lineEnd);
  }
  // A terminal that refuses is left as it was; nothing is lost either way,
  // only the wake-ups differ.
  if (::tcsetattr(fd_, TCSANOW, &t) != 0)
    return false;
  lineEnd_ = lineEnd;
  return lineEnd >= 0;
}

void TPosixDispatcher::WaitOutputReady(bool deviceBusy, bool recheckSoon) {
  pollfd fds[2] = {
      {outputWake_.ReadFd(), POLLIN, 0},
      {deviceBusy ? fd_ : -1, POLLOUT, 0},
  };
  const int ready = ::poll(fds, 2, recheckSoon ? kDsrRecheckMs : -1);
  if (ready < 0) {
    if (errno != EINTR)
      std::this_thread::sleep_for(kRoundInterval);
    return;
  }
  if (fds[0].revents != 0)
    outputWake_.Drain();
}

void TPosixDispatcher::WakeOutputThread() { outputWake_.Wake(); }
