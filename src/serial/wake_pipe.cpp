#include "serial/wake_pipe.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

TWakePipe::TWakePipe() = default;

TWakePipe::~TWakePipe() { Close(); }

int TWakePipe::Create() {
  Close();
  if (pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0) {
    const int error = errno;
    fds_[0] = fds_[1] = -1;
    return -error;
  }
  return 0;
}

void TWakePipe::Close() {
  for (int& fd : fds_) {
    if (fd >= 0)
      ::close(fd);
    fd = -1;
  }
}

void TWakePipe::Wake() {
  if (fds_[1] < 0)
    return;
  const char byte = 1;
  // A full pipe already holds a wake-up, so EAGAIN loses nothing.
  while (::write(fds_[1], &byte, 1) < 0 && errno == EINTR) {
  }
}

void TWakePipe::Drain() {
  char sink[64];
  while (true) {
    const ssize_t got = ::read(fds_[0], sink, sizeof sink);
    if (got > 0)
      continue;
    if (got < 0 && errno == EINTR)
      continue;
    break;
  }
}
