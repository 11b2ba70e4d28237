#include "pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace qx7300emu {
namespace {

std::string Failure(const char* step)
{
    return std::string(step) + ": " + std::strerror(errno);
}

}  // namespace

PseudoTerminal::~PseudoTerminal()
{
    Close();
}

void PseudoTerminal::Close()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
    slavePath_.clear();
}

bool PseudoTerminal::Open(std::string& error)
{
    Close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        error = Failure("posix_openpt");
        return false;
    }
    char name[128];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0) {
        error = Failure("pseudo-terminal set-up");
        Close();
        return false;
    }
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = name;

    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = Failure(name);
        Close();
        return false;
    }
    termios line{};
    bool configured = ::tcgetattr(slave, &line) == 0;
    if (configured) {
        ::cfmakeraw(&line);
        line.c_cflag |= CLOCAL | CREAD;
        line.c_cc[VMIN] = 1;
        line.c_cc[VTIME] = 0;
        ::cfsetispeed(&line, B115200);
        ::cfsetospeed(&line, B115200);
        configured = ::tcsetattr(slave, TCSANOW, &line) == 0;
    }
    if (!configured)
        error = Failure("raw mode on the slave");
    ::close(slave);
    if (!configured)
        Close();
    return configured;
}

}  // namespace qx7300emu
