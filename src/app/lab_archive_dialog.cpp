#include "app/lab_archive_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QVBoxLayout>

#include "archive/archive_server.h"

namespace {

constexpr char kTryConnection[] = "lab-archive-try";

}  // namespace

LabArchiveDialog::LabArchiveDialog(const ArchiveServer& server, AskPassword askPassword, QWidget* parent)
    : QDialog(parent),
      host_(new QLineEdit(server.host)),
      port_(new QSpinBox),
      database_(new QLineEdit(server.database)),
      user_(new QLineEdit(server.user)),
      outcome_(new QLabel),
      askPassword_(std::move(askPassword)) {
  setWindowTitle(QStringLiteral("Lab Archive"));
  port_->setRange(1, 65535);
  port_->setValue(server.port);
  host_->setPlaceholderText(QStringLiteral("none: this station's own archive only"));
  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("&Host:"), host_);
  fields->addRow(QStringLiteral("&Port:"), port_);
  fields->addRow(QStringLiteral("&Database:"), database_);
  fields->addRow(QStringLiteral("&User:"), user_);
  auto* note = new QLabel(QStringLiteral(
      "Every test is filed in this station's own archive, and also sent to the lab's PostgreSQL server when one is "
      "given here; while the server cannot be reached, tests wait and are sent when it is back.\n"
      "The password is read from ~/.pgpass, or asked for once a run; it is never kept in QX7300.ini."));
  note->setWordWrap(true);
  outcome_->setWordWrap(true);
  outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QPushButton* tryButton = buttons->addButton(QStringLiteral("&Test Connection"), QDialogButtonBox::ActionRole);
  connect(tryButton, &QPushButton::clicked, this, &LabArchiveDialog::TryConnection);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(note);
  layout->addWidget(outcome_);
  layout->addWidget(buttons);
  setMinimumWidth(420);
}

ArchiveServer LabArchiveDialog::Server() const {
  ArchiveServer server;
  server.host = host_->text().trimmed();
  if (server.host.isEmpty()) return {};
  server.port = port_->value();
  server.database = database_->text().trimmed();
  server.user = user_->text().trimmed();
  return server;
}

void LabArchiveDialog::TryConnection() {
  const ArchiveServer server = Server();
  if (!server.IsSet()) {
    outcome_->setText(QStringLiteral("No server: tests are filed in this station's archive only."));
    return;
  }
  QString text;
  {
    QString error;
    bool needsPassword = false;
    QSqlDatabase db = OpenServerArchive(server, {}, QLatin1String(kTryConnection), &error, &needsPassword);
    if (!db.isOpen() && needsPassword && askPassword_) {
      if (const std::optional<QString> password = askPassword_()) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QLatin1String(kTryConnection));
        error.clear();
        db = OpenServerArchive(server, *password, QLatin1String(kTryConnection), &error);
      }
    }
    if (db.isOpen()) {
      QSqlQuery count(db);
      const qint64 tests = count.exec(QStringLiteral("SELECT COUNT(*) FROM tests")) && count.next()
                               ? count.value(0).toLongLong()
                               : 0;
      text = QStringLiteral("Connected: the lab's archive holds %1 tests.").arg(tests);
    } else {
      text = QStringLiteral("Not connected: ") + error;
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QLatin1String(kTryConnection));
  outcome_->setText(text);
}
