// The station's archive of tests, listed beside the live window.
#include <QDir>

#include "app/qx7300main.h"
#include "app/test_history_window.h"
#include "archive/archive_database.h"
#include "archive/archive_sender.h"

void Tqx7300form::TestHistory1Click() {
  if (history_ == nullptr) {
    history_ = new TestHistoryWindow(dialogs_, QDir::current().filePath(QString::fromLatin1(kStationArchiveName)),
                                     shell_.PrinterFont, this);
    history_->setAttribute(Qt::WA_DeleteOnClose);
    history_->SetLabServer(shell_.LabServer, labPassword_);
    history_->Refresh();
  } else {
    history_->SetPrinterFont(shell_.PrinterFont);
    history_->Refresh();
  }
  history_->show();
  history_->raise();
  history_->activateWindow();
}
