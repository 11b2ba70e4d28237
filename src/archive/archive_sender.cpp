#include "archive/archive_sender.h"

#include <QSqlDatabase>
#include <QTimer>
#include <QUuid>

#include "archive/archive_database.h"
#include "archive/archive_sync.h"

// The sender's side in its thread: the connections are made, used and
// closed there, as Qt's database connections must be.
class ArchiveCourier : public QObject {
  Q_OBJECT

 public:
  ArchiveCourier(const QString& stationPath, const ArchiveServer& server, const QString& password, int retryMs)
      : stationPath_(stationPath), server_(server), password_(password), retryMs_(retryMs) {
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces);
    stationName_ = QStringLiteral("sender-station-") + name;
    serverName_ = QStringLiteral("sender-server-") + name;
  }

  void Send() {
    if (retry_ == nullptr) {
      retry_ = new QTimer(this);
      retry_->setSingleShot(true);
      retry_->setInterval(retryMs_);
      connect(retry_, &QTimer::timeout, this, &ArchiveCourier::Send);
    }
    retry_->stop();
    if (waitingForPassword_) return;
    QString error;
    SyncOutcome outcome;
    if (!Open(&error)) {
      outcome.left = station_.isOpen() ? QueuedCount(station_) : -1;
      outcome.error = error;
    } else {
      outcome = SendQueued(station_, server_db_);
    }
    if (!outcome.error.isEmpty()) {
      // The connection may be what failed: the next attempt makes a new one.
      CloseServer();
    }
    // The station's archive is opened for each round, never held between:
    // its file may be deleted, moved or replaced in the meantime.
    CloseStation();
    if (waitingForPassword_) {
      emit PasswordNeeded();
    } else if (outcome.left != 0) {
      retry_->start();
    }
    emit Reported(outcome.sent, outcome.left, outcome.error);
  }

  void Close() {
    if (retry_ != nullptr) retry_->stop();
    CloseServer();
    CloseStation();
  }

 signals:
  void Reported(int sent, int left, const QString& error);
  void PasswordNeeded();

 private:
  bool Open(QString* error) {
    if (!station_.isOpen()) {
      station_ = OpenStationArchive(stationPath_, stationName_, error);
      if (!station_.isOpen()) {
        station_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(stationName_);
        return false;
      }
    }
    if (!server_db_.isOpen()) {
      server_db_ = OpenServerArchive(server_, password_, serverName_, error, &waitingForPassword_);
      if (!server_db_.isOpen()) {
        CloseServer();
        return false;
      }
    }
    return true;
  }

  void CloseStation() {
    station_.close();
    station_ = QSqlDatabase();
    if (QSqlDatabase::contains(stationName_)) QSqlDatabase::removeDatabase(stationName_);
  }

  void CloseServer() {
    server_db_.close();
    server_db_ = QSqlDatabase();
    if (QSqlDatabase::contains(serverName_)) QSqlDatabase::removeDatabase(serverName_);
  }

  QString stationPath_;
  ArchiveServer server_;
  QString password_;
  int retryMs_;
  QString stationName_;
  QString serverName_;
  QSqlDatabase station_;
  QSqlDatabase server_db_;
  QTimer* retry_ = nullptr;
  bool waitingForPassword_ = false;
};

ArchiveSender::ArchiveSender(const QString& stationPath, const ArchiveServer& server, const QString& password,
                             int retryMilliseconds, QObject* parent)
    : QObject(parent),
      thread_(new QThread),
      courier_(new ArchiveCourier(stationPath, server, password, retryMilliseconds)) {
  courier_->moveToThread(thread_);
  connect(thread_, &QThread::finished, courier_, &QObject::deleteLater);
  connect(courier_, &ArchiveCourier::Reported, this, &ArchiveSender::Reported);
  connect(courier_, &ArchiveCourier::PasswordNeeded, this, &ArchiveSender::PasswordNeeded);
  thread_->setObjectName(QStringLiteral("archive sender"));
  thread_->start();
}

ArchiveSender::~ArchiveSender() {
  // Closed in its thread once what it is doing is done, and the thread
  // ended after it.
  ArchiveCourier* courier = courier_;
  QMetaObject::invokeMethod(
      courier_,
      [courier] {
        courier->Close();
        QThread::currentThread()->quit();
      },
      Qt::QueuedConnection);
  if (thread_->wait(kStopWaitMilliseconds)) {
    delete thread_;
    return;
  }
  QThread* stuck = thread_;
  connect(stuck, &QThread::finished, stuck, &QObject::deleteLater);
}

void ArchiveSender::SendSoon() { QMetaObject::invokeMethod(courier_, &ArchiveCourier::Send, Qt::QueuedConnection); }

#include "archive_sender.moc"
