#pragma once

#include "serial/base_dispatcher.h"
#include "serial/wake_pipe.h"

#include <mutex>
#include <termios.h>

// The dispatcher on a POSIX terminal device. Opening is exclusive: an
// advisory lock on the device (which also holds against root) plus TIOCEXCL.
// The receive thread polls the descriptor beside a wake-up pipe; the output
// thread polls for room beside its own pipe. Lines are gathered by the
// terminal's canonical input, which wakes a reader once per line instead of
// once per piece the driver hands over. Devices without modem lines (a
// pseudo-terminal) are accepted: setting DTR or RTS is then a no-op and DSR
// and CTS count as asserted.
class TPosixDispatcher : public TBaseDispatcher {
public:
  explicit TPosixDispatcher(TCustomSerialPort* owner);
  ~TPosixDispatcher() override;

protected:
  int CreateWakeUps() override;
  void DestroyWakeUps() override;
  int OpenDevice(const std::string& path) override;
  void CloseDevice() override;
  int ApplyLine(const TLineSettings& line) override;
  int ApplyHandshake(const THandshake& handshake) override;
  int SetModemLine(TModemLine line, bool state) override;
  bool ModemLineAsserted(TModemLine line) override;
  long ReadDevice(quint8* buffer, std::size_t size) override;
  long WriteDevice(const quint8* data, std::size_t size) override;
  std::size_t DeviceInputQueued() override;
  unsigned WaitDeviceEvent(bool watchDevice, int timeoutMs) override;
  void WakeEventThread() override;
  bool GatherLines(int lineEnd) override;
  void WaitOutputReady(bool deviceBusy, bool recheckSoon) override;
  void WakeOutputThread() override;

private:
  // Writes line_, handshake_ and lineEnd_ to the device as one termios.
  int WriteTermios();
  void DisableRs485();

  int fd_ = -1;
  termios saved_{};
  bool savedValid_ = false;
  std::atomic<bool> modemLines_{true};

  std::mutex termiosLock_;  // line_, handshake_, lineEnd_ and tcsetattr
  TLineSettings line_;
  THWFlowOptions handshake_;
  int lineEnd_ = -1;  // the line end the terminal gathers lines for, or -1

  TWakePipe eventWake_;
  TWakePipe outputWake_;
};
