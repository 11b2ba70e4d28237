#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>

#include "archive/archive_server.h"

class ArchiveCourier;

// Sends a station's queued entries to the lab's server from a thread of its
// own, with connections of its own, so that a server that is slow or gone
// never holds up the station. It sends when asked (after each filing) and,
// while anything waits, again after each retry interval.
class ArchiveSender : public QObject {
  Q_OBJECT

 public:
  static constexpr int kRetryMilliseconds = 30000;

  ArchiveSender(const QString& stationPath, const ArchiveServer& server, const QString& password,
                int retryMilliseconds = kRetryMilliseconds, QObject* parent = nullptr);
  // Waits for a send under way (kStopWaitMilliseconds at most), then closes
  // the connections. A server that took the connection and stopped
  // answering would hold the send for good: its thread is then left to end
  // with the program rather than hold the window.
  ~ArchiveSender() override;
  static constexpr int kStopWaitMilliseconds = 5000;

  // Sends what waits as soon as the thread is free; callable from anywhere.
  void SendSoon();

 signals:
  // After each attempt: entries sent, entries still waiting, and why the
  // attempt stopped (empty when everything went).
  void Reported(int sent, int left, const QString& error);
  // The server wants a password it was not given (none in ~/.pgpass): the
  // sender tries no more until it is made again with one.
  void PasswordNeeded();

 private:
  QThread* thread_;                    // deleted once it has finished
  ArchiveCourier* courier_ = nullptr;  // lives in thread_
};
