#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of the test's own: a cluster made in a temporary
// folder, listening on a free port of 127.0.0.1 only, with a database
// "archive" that the user "veltrix" reaches without a password. Run as the
// package's postgres user when the test runs as root (the server refuses
// root). Stopped and removed with the object; Stop and Start in between
// stand for a lab server going away and coming back.
class TestPostgresServer {
 public:
  TestPostgresServer();
  // Whether a server can be made here at all.
  static bool InstalledHere();
  ~TestPostgresServer();
  TestPostgresServer(const TestPostgresServer&) = delete;
  TestPostgresServer& operator=(const TestPostgresServer&) = delete;

  // Empty when the server runs; else why not (the test skips when
  // PostgreSQL is not installed, and fails otherwise).
  const QString& Problem() const { return problem_; }
  bool Installed() const { return installed_; }

  QString Host() const { return QStringLiteral("127.0.0.1"); }
  int Port() const { return port_; }
  QString Database() const { return QStringLiteral("archive"); }
  QString User() const { return QStringLiteral("veltrix"); }

  bool Stop();
  bool Start();

 private:
  // Runs one of the server's programs as the server's user; its output
  // goes to problem_ on failure.
  bool Run(const QString& program, const QStringList& arguments);

  QTemporaryDir folder_;
  QString binaries_;
  QString problem_;
  int port_ = 0;
  bool installed_ = false;
  bool running_ = false;
};
