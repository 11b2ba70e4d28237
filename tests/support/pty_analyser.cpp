#include "support/pty_analyser.h"

#include "serial/serial_port.h"
#include "support/test_working_folder.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

TPtyAnalyser::TPtyAnalyser() {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return;
  char name[256] = {};
  if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0) {
    ::close(fd);
    return;
  }
  master_ = fd;
  slavePath_ = QString::fromLocal8Bit(name);
}

TPtyAnalyser::~TPtyAnalyser() { Hangup(); }

bool TPtyAnalyser::WriteAll(const QByteArray& data, const std::atomic<bool>* cancel) {
  const char* next = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    if (cancel && cancel->load())
      return false;
    const ssize_t put = ::write(master_, next, static_cast<size_t>(left));
    if (put < 0) {
      if (errno == EINTR)
        continue;
      if (errno != EAGAIN)
        return false;
      pollfd fds{master_, POLLOUT, 0};
      ::poll(&fds, 1, 50);
      continue;
    }
    next += put;
    left -= put;
  }
  return true;
}

QByteArray TPtyAnalyser::Read(int size, std::chrono::milliseconds limit) {
  QByteArray got;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (got.size() < size) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      break;
    pollfd fds{master_, POLLIN, 0};
    if (::poll(&fds, 1, static_cast<int>(left.count())) <= 0)
      continue;
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0)
      got.append(buffer, n);
    else if (n < 0 && errno != EINTR && errno != EAGAIN)
      break;
  }
  return got;
}

void TPtyAnalyser::Hangup() {
  if (master_ >= 0)
    ::close(master_);
  master_ = -1;
}

TBackgroundWriter::TBackgroundWriter(TPtyAnalyser& analyser, QByteArray data, quint32 seed)
    : thread_([this, &analyser, data = std::move(data), seed] {
        QRandomGenerator pieces(seed);
        qsizetype at = 0;
        while (at < data.size()) {
          const qsizetype piece = qMin<qsizetype>(1 + pieces.bounded(30000), data.size() - at);
          if (!analyser.WriteAll(data.mid(at, piece), &cancel_))
            return;
          at += piece;
        }
        finished_ = true;
      }) {}

TBackgroundWriter::~TBackgroundWriter() {
  cancel_ = true;
  thread_.join();
}

TComFolder::TComFolder() {
  if (!dir_.isValid())
    return;
  char here[PATH_MAX];
  if (::getcwd(here, sizeof here))
    previous_ = here;
  entered_ = ::chdir(QFile::encodeName(dir_.path()).constData()) == 0;
}

TComFolder::~TComFolder() {
  if (entered_ && !previous_.isEmpty()) {
    [[maybe_unused]] const int ignored = ::chdir(previous_.constData());
  }
  if (dir_.isValid()) KeepRecordings(dir_.path());
}

bool TComFolder::Valid() const { return entered_; }

bool TComFolder::Link(const QString& name, const QString& target) {
  const QByteArray link = QFile::encodeName(dir_.filePath(name));
  ::unlink(link.constData());
  return ::symlink(QFile::encodeName(target).constData(), link.constData()) == 0;
}

bool TComFolder::Unlink(const QString& name) {
  return ::unlink(QFile::encodeName(dir_.filePath(name)).constData()) == 0;
}

void ConfigureLikeTheProgram(TSerialPort& port, quint16 comNumber) {
  port.SetComNumber(comNumber);
  port.SetPromptForPort(false);
  port.SetBaud(115200);
  port.SetInSize(8000);
  port.SetOutSize(4096);
  port.SetHWFlowOptions(hwfUseDTR | hwfUseRTS | hwfRequireDSR | hwfRequireCTS);
  port.SetBufferFull(6000);
  port.SetBufferResume(2000);
}

TLinkedAnalyser::TLinkedAnalyser(int comNumber) {
  linked_ = Valid() && folder_.Valid() &&
            folder_.Link(QStringLiteral("COM%1").arg(comNumber), SlavePath());
}
