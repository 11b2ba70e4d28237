// The lab's archive server: what the station files goes there too, from a
// sender of its own, and the history lists the whole lab from it.
#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/test_history_window.h"
#include "archive/archive_database.h"
#include "archive/archive_sender.h"
#include "persist/working_folder.h"

void Tqx7300form::UseLabServer(const ArchiveServer& server) {
  if (server != shell_.LabServer) {
    labPassword_.clear();
    labPasswordRefused_ = false;
  }
  shell_.LabServer = server;
  archiveSender_.reset();
  if (history_ != nullptr) history_->SetLabServer(server, labPassword_);
  if (!server.IsSet() || reviewMode_) return;
  archiveSender_ = std::make_unique<ArchiveSender>(WorkingFolderPath(QLatin1String(kStationArchiveName)), server,
                                                   labPassword_);
  // Asked outside the sender's report, once the window is free.
  connect(archiveSender_.get(), &ArchiveSender::PasswordNeeded, this, &Tqx7300form::AskLabPassword,
          Qt::QueuedConnection);
  archiveSender_->SendSoon();
}

void Tqx7300form::AskLabPassword() {
  // Refused once: the tests wait in the station's archive for this run.
  if (labPasswordRefused_ || !shell_.LabServer.IsSet()) return;
  const std::optional<QString> password = dialogs_.AskPassword(
      QStringLiteral("Lab Archive"), QStringLiteral("Password of %1 for the lab's archive %2 on %3:")
                                         .arg(shell_.LabServer.user, shell_.LabServer.database, shell_.LabServer.host));
  if (!password) {
    labPasswordRefused_ = true;
    return;
  }
  labPassword_ = *password;
  UseLabServer(shell_.LabServer);
}

void Tqx7300form::SendToLabServer() {
  if (archiveSender_) archiveSender_->SendSoon();
}
