#pragma once

// A self-pipe that lets one thread interrupt another thread's poll(): the
// sleeper polls ReadFd() beside its device, the waker calls Wake().
class TWakePipe {
public:
  TWakePipe();
  ~TWakePipe();
  TWakePipe(const TWakePipe&) = delete;
  TWakePipe& operator=(const TWakePipe&) = delete;

  // 0, or the negated errno when the pipe could not be made.
  int Create();
  void Close();

  int ReadFd() const { return fds_[0]; }
  void Wake();
  // Empties the pipe after poll() reported it readable.
  void Drain();

private:
  int fds_[2] = {-1, -1};
};
