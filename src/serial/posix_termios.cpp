#include "serial/posix_termios.h"

#include <cerrno>

speed_t BaudConstant(qint32 baud) {
  switch (baud) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
#ifdef B460800
    case 460800: return B460800;
#endif
#ifdef B921600
    case 921600: return B921600;
#endif
    default: return B0;
  }
}

int ComposeTermios(termios& t, const TLineSettings& line, THWFlowOptions handshake) {
  const speed_t speed = BaudConstant(line.baud);
  tcflag_t size;
  switch (line.dataBits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return -EINVAL;
  }
  if (speed == B0 || (line.stopBits != 1 && line.stopBits != 2))
    return -EINVAL;

  termios raw = t;
  cfmakeraw(&raw);
  raw.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
#ifdef CMSPAR
  raw.c_cflag &= ~CMSPAR;
#endif
  raw.c_cflag |= CLOCAL | CREAD | size;
  raw.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNPAR | PARMRK);

  switch (line.parity) {
    case pNone:
      break;
    case pOdd:
      raw.c_cflag |= PARENB | PARODD;
      break;
    case pEven:
      raw.c_cflag |= PARENB;
      break;
#ifdef CMSPAR
    case pMark:
      raw.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    case pSpace:
      raw.c_cflag |= PARENB | CMSPAR;
      break;
#else
    case pMark:
    case pSpace:
      return -EINVAL;
#endif
  }
  if (line.stopBits == 2)
    raw.c_cflag |= CSTOPB;

  if (line.swFlow == swfTransmit || line.swFlow == swfBoth)
    raw.c_iflag |= IXON;
  if (line.swFlow == swfReceive || line.swFlow == swfBoth)
    raw.c_iflag |= IXOFF;
  raw.c_cc[VSTART] = static_cast<cc_t>(line.xonChar);
  raw.c_cc[VSTOP] = static_cast<cc_t>(line.xoffChar);

  if (handshake & (hwfUseRTS | hwfRequireCTS))
    raw.c_cflag |= CRTSCTS;

  // With O_NONBLOCK, VMIN 1 makes an empty queue read as EAGAIN, so that a
  // read of 0 bytes means only one thing: the device has hung up.
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;

  cfsetispeed(&raw, speed);
  cfsetospeed(&raw, speed);
  t = raw;
  return 0;
}

bool ComposeLineGathering(termios& t, int lineEnd) {
  if (lineEnd < 0) {
    t.c_lflag &= ~static_cast<tcflag_t>(ICANON);
    return true;
  }
  if (lineEnd == _POSIX_VDISABLE || lineEnd > 255)
    return false;
  // In canonical input these slots would be read as VMIN and VTIME's.
  static_assert(VMIN != VEOF && VMIN != VEOL && VTIME != VEOF && VTIME != VEOL);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOPRT | ECHOKE | ISIG |
                                      IEXTEN | EXTPROC);
  t.c_lflag |= ICANON;
  for (const int slot : {VINTR, VQUIT, VERASE, VKILL, VEOF, VEOL, VEOL2, VSWTC, VSUSP, VREPRINT, VDISCARD,
                         VWERASE, VLNEXT})
    t.c_cc[slot] = _POSIX_VDISABLE;
  if (lineEnd != '\n')
    t.c_cc[VEOL] = static_cast<cc_t>(lineEnd);
  return true;
}
