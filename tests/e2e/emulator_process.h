#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The analyser emulator as a child process publishing COM<port> in a folder
// (or the link named by a "--link" among the extra arguments) and logging
// the commands it receives.
class EmulatorProcess {
 public:
  EmulatorProcess(const QString& folder, int port, const QStringList& extraArguments = {});
  ~EmulatorProcess();

  // Started and its link published.
  bool Ready() const { return ready_; }
  QString SlavePath() const { return slavePath_; }
  // The commands received so far, in order.
  QStringList Commands() const;
  // The complete lines the emulator has printed so far that start with
  // `prefix`: its reports of faults, and "COM<n> -> <path>" (or the link's
  // path instead of COM<n>) for the line published at the start and again
  // after a hang-up.
  QStringList Printed(const QString& prefix);

 private:
  QProcess process_;
  QByteArray output_;
  QString logPath_;
  QString slavePath_;
  bool ready_ = false;
};

// Writes a settings file naming the port and a start-up configuration, as
// the operator's last run would have left them.
void WriteSettingsFile(const QString& folder, int port);

// Starts the program at `program` as its own process in `folder`, on the
// offscreen platform.
bool StartProgramProcess(QProcess& veltrix, const QString& program, const QString& folder);
