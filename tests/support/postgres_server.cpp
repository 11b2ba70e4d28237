#include "support/postgres_server.h"

#include <QDir>
#include <QProcess>

#include <algorithm>

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The newest server installed by Debian's packages.
QString ServerBinaries() {
  const QDir versions(QStringLiteral("/usr/lib/postgresql"));
  QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
  for (auto version = found.crbegin(); version != found.crend(); ++version) {
    const QString bin = versions.filePath(*version + QStringLiteral("/bin"));
    if (QFile::exists(bin + QStringLiteral("/pg_ctl"))) return bin;
  }
  return {};
}

// A port of 127.0.0.1 the system has just given out as free.
int FreePort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  if (probe < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  ::close(probe);
  return port;
}

}  // namespace

TestPostgresServer::TestPostgresServer() : binaries_(ServerBinaries()) {
  installed_ = !binaries_.isEmpty();
  if (!installed_) {
    problem_ = QStringLiteral("PostgreSQL is not installed (scripts/install-deps installs it)");
    return;
  }
  if (!folder_.isValid()) {
    problem_ = QStringLiteral("no temporary folder");
    return;
  }
  if (::geteuid() == 0) {
    // The server will not run as root: the folder becomes the postgres user's.
    const passwd* postgres = ::getpwnam("postgres");
    if (postgres == nullptr || ::chown(QFile::encodeName(folder_.path()).constData(), postgres->pw_uid,
                                       postgres->pw_gid) != 0) {
      problem_ = QStringLiteral("the postgres user cannot be given the server's folder");
      return;
    }
  }
  port_ = FreePort();
  if (!Run(QStringLiteral("initdb"), {"-D", folder_.filePath("data"), "-A", "trust", "-U", User(), "-E", "UTF8",
                                      "--no-sync", "--no-instructions"}))
    return;
  if (!Start()) return;
  Run(QStringLiteral("createdb"), {"-h", Host(), "-p", QString::number(port_), "-U", User(), Database()});
}

TestPostgresServer::~TestPostgresServer() { Stop(); }

bool TestPostgresServer::InstalledHere() { return !ServerBinaries().isEmpty(); }

bool TestPostgresServer::Start() {
  if (running_) return true;
  running_ = Run(QStringLiteral("pg_ctl"),
                 {"-D", folder_.filePath("data"), "-l", folder_.filePath("server.log"), "-w", "-o",
                  QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(port_).arg(folder_.path()),
                  "start"});
  return running_;
}

bool TestPostgresServer::Stop() {
  if (!running_) return true;
  running_ = !Run(QStringLiteral("pg_ctl"), {"-D", folder_.filePath("data"), "-m", "fast", "-w", "stop"});
  return !running_;
}

bool TestPostgresServer::Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  QStringList command{binaries_ + QLatin1Char('/') + program};
  command += arguments;
  if (::geteuid() == 0) command = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + command;
  process.start(command.takeFirst(), command);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    problem_ = program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll()).trimmed();
    return false;
  }
  problem_.clear();
  return true;
}
