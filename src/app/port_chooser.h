#pragma once

#include <QComboBox>
#include <QList>

#include <optional>

#include "app/folder_watch.h"
#include "link/serial_devices.h"

class QLineEdit;

// The serial devices present, listed beside a port-number edit: choosing
// one binds COM<n> (n the edit's number) to it when the dialog's choice is
// taken. The list follows devices that appear or go while it is shown, and
// shows the device COM<n> leads to now, as "not connected" when it has gone.
// It follows them by watching the device folders, never by listing them
// over and over.
class PortChooser : public QComboBox {
  Q_OBJECT

 public:
  // Placed to the right of `numberEdit`, in the same parent; the parent and
  // `dialog` are widened to hold it.
  static PortChooser* AttachBeside(QLineEdit* numberEdit, QWidget* dialog);

  explicit PortChooser(QLineEdit* numberEdit, QWidget* parent = nullptr);

  // The link target of the device the operator chose from the list since
  // the number last changed; empty when the list was left alone.
  QString ChosenTarget() const;
  // Forgets the operator's choice (the dialog was cancelled): the list
  // shows what COM<n> leads to now, and nothing is bound.
  void Discard();
  // Lists the devices again (also done, while shown, when a device folder
  // or the folder of the device COM<n> leads to changes).
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ShowBinding();
  // Watches the folders whose changes can change the list, or the nearest
  // folder above one that does not exist yet; nothing when `on` is false.
  void Watch(bool on);

  QLineEdit* numberEdit_;
  FolderWatch folders_;
  // What the list was made from; nullopt: not made yet.
  std::optional<QString> shownSignature_;
  bool chosen_ = false;
};
