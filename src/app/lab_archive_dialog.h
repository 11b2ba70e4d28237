#pragma once

#include <QDialog>

#include <functional>
#include <optional>

#include "persist/settings_file.h"

class QLabel;
class QLineEdit;
class QSpinBox;

// Where a station files its tests besides its own archive: a lab's
// PostgreSQL server, given by host, port, database and user. No password is
// asked for here or kept: the server's client library reads ~/.pgpass, and
// a server that wants one asks through `askPassword` when it is tried.
class LabArchiveDialog : public QDialog {
  Q_OBJECT

 public:
  using AskPassword = std::function<std::optional<QString>()>;

  LabArchiveDialog(const ArchiveServer& server, AskPassword askPassword, QWidget* parent = nullptr);

  // What the fields say; no host is no server.
  ArchiveServer Server() const;
  // Connects to the server as the fields say and tells what it found.
  void TryConnection();

  QLineEdit& HostEdit() { return *host_; }
  QLabel& Outcome() { return *outcome_; }

 private:
  QLineEdit* host_;
  QSpinBox* port_;
  QLineEdit* database_;
  QLineEdit* user_;
  QLabel* outcome_;
  AskPassword askPassword_;
};
