#include "emulator_process.h"

#include "persist/configuration_file.h"

#include <QDeadlineTimer>
#include <QFile>

EmulatorProcess::EmulatorProcess(const QString& folder, int port, const QStringList& extraArguments)
    : logPath_(folder + QStringLiteral("/emulator-commands.log")) {
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start(QStringLiteral(QX7300_EMULATOR),
                 QStringList{QStringLiteral("--port"), QString::number(port), QStringLiteral("--dir"), folder,
                             QStringLiteral("--log"), logPath_} +
                     extraArguments);
  if (!process_.waitForStarted(5000)) return;
  // Published as COM<port>, or as the link given.
  const qsizetype link = extraArguments.indexOf(QStringLiteral("--link"));
  const QByteArray marker =
      (link >= 0 ? QFile::encodeName(extraArguments.value(link + 1)) : "COM" + QByteArray::number(port)) + " -> ";
  QByteArray output;
  const QDeadlineTimer deadline(10000);
  while (!deadline.hasExpired() && !output.contains('\n')) {
    process_.waitForReadyRead(100);
    output += process_.readAll();
  }
  output_ = output;
  const qsizetype at = output.indexOf(marker);
  if (at < 0) return;
  slavePath_ = QString::fromLatin1(output.mid(at + marker.size()).split('\n').first().trimmed());
  ready_ = true;
}

EmulatorProcess::~EmulatorProcess() {
  // An emulator that ended before its time, or a sanitizer's report from
  // it, would otherwise show only as a silent line in the test's failure.
  const bool endedEarly = process_.state() == QProcess::NotRunning;
  process_.terminate();
  if (!process_.waitForFinished(5000)) process_.kill();
  output_ += process_.readAll();
  if (endedEarly || output_.contains("Sanitizer") || output_.contains("runtime error"))
    qWarning("the emulator printed:\n%s", output_.right(8000).constData());
}

QStringList EmulatorProcess::Commands() const {
  QFile log(logPath_);
  QStringList commands;
  if (!log.open(QIODevice::ReadOnly)) return commands;
  for (const QByteArray& line : log.readAll().split('\n')) {
    const qsizetype tab = line.indexOf('\t');
    if (tab >= 0) commands << QString::fromLatin1(line.mid(tab + 1));
  }
  return commands;
}

QStringList EmulatorProcess::Printed(const QString& prefix) {
  output_ += process_.readAll();
  QList<QByteArray> lines = output_.split('\n');
  lines.removeLast();  // not complete yet
  QStringList found;
  for (const QByteArray& line : lines) {
    const QString text = QString::fromLatin1(line).trimmed();
    if (text.startsWith(prefix)) found << text;
  }
  return found;
}

void WriteSettingsFile(const QString& folder, int port) {
  // The set-up of the last run too, as the design left it: a start-up
  // without either file asks the operator before it goes on.
  SaveConfiguration(folder + QStringLiteral("/Startup.hac"), TestSetupValues{});
  QFile file(folder + QStringLiteral("/QX7300.ini"));
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write("1.14 2nd September 2007;    Software Version\r\n\r\n"
             "08 December 2026 09:00;    Date & Time Saved\r\n" +
             QByteArray::number(port) + ";    Com Port\r\n8\r\n0\r\nCourier\r\n0\r\n");
}

bool StartProgramProcess(QProcess& veltrix, const QString& program, const QString& folder) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  veltrix.setProcessEnvironment(environment);
  veltrix.setWorkingDirectory(folder);
  veltrix.start(program, {});
  return veltrix.waitForStarted(5000);
}
