#include "app/port_chooser.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include "link/decimal_text.h"
#include "link/port_binding.h"

namespace {

constexpr int kGap = 8;
constexpr int kChooserWidth = 320;
// Item data role for an entry that stands for a device that has gone.
constexpr int kGoneRole = Qt::UserRole + 1;

std::optional<quint16> ComNumberOf(const QLineEdit* edit) {
  const std::optional<int> number = ParseWholeNumber(edit->text());
  if (!number || *number < 1 || *number > 255) return std::nullopt;
  return static_cast<quint16>(*number);
}

}  // namespace

PortChooser* PortChooser::AttachBeside(QLineEdit* numberEdit, QWidget* dialog) {
  QWidget* holder = numberEdit->parentWidget();
  auto* chooser = new PortChooser(numberEdit, holder);
  const QRect edit = numberEdit->geometry();
  chooser->setGeometry(edit.right() + 1 + kGap, edit.top() - 1, kChooserWidth, edit.height() + 2);
  const int grow = qMax(0, chooser->geometry().right() + 1 + kGap - holder->width());
  if (grow > 0) {
    if (holder != dialog) holder->resize(holder->width() + grow, holder->height());
    dialog->setFixedSize(dialog->width() + grow, dialog->height());
  }
  return chooser;
}

PortChooser::PortChooser(QLineEdit* numberEdit, QWidget* parent) : QComboBox(parent), numberEdit_(numberEdit) {
  setPlaceholderText(QStringLiteral("Choose the analyser's device"));
  setToolTip(QStringLiteral("The serial devices present. Choosing one links COM<n> of the working folder\n"
                            "to it: to its /dev/serial/by-id name where that name is its own, so the number\n"
                            "finds the adapter again in another socket; identical adapters, or adapters\n"
                            "without a serial number, by their /dev/serial/by-path name (the USB socket)."));
  connect(&folders_, &FolderWatch::Changed, this, [this] {
    Refresh();
    Watch(isVisible());  // a folder may have come or gone
  });
  connect(this, &QComboBox::activated, this, [this] { chosen_ = currentIndex() >= 0; });
  connect(numberEdit_, &QLineEdit::textChanged, this, [this] {
    chosen_ = false;
    ShowBinding();
    if (isVisible()) Watch(true);
  });
  Refresh();
}

QString PortChooser::ChosenTarget() const {
  if (!chosen_ || currentIndex() < 0 || itemData(currentIndex(), kGoneRole).toBool()) return {};
  return currentData().toString();
}

void PortChooser::Refresh() {
  const std::optional<quint16> number = ComNumberOf(numberEdit_);
  const QString bound = number ? ComLinkTarget(*number) : QString();
  // The device listing is asked only when a device may have come or gone.
  const QString signature = SerialDeviceSignature() + QLatin1Char('\n') + bound +
                            (QFileInfo::exists(bound) ? QStringLiteral(" present") : QString());
  if (signature == shownSignature_) return;
  shownSignature_ = signature;
  const QList<SerialDevice> devices = ListSerialDevices();
  QStringList targets;
  for (const SerialDevice& device : devices) targets << device.LinkTarget();

  const QString selected = currentIndex() >= 0 ? currentData().toString() : QString();
  const QSignalBlocker quiet(this);
  clear();
  for (const SerialDevice& device : devices) addItem(device.Label(), device.LinkTarget());
  // The entry COM<n> leads to: its device when listed, whatever name COM<n>
  // reaches it by (a link made by hand to the node, say); else an entry of
  // its own, for a device gone or one the listing does not know (a
  // pseudo-terminal, say).
  int boundIndex = bound.isEmpty() ? -1 : targets.indexOf(bound);
  const QString boundNode = QFileInfo(bound).canonicalFilePath();
  for (qsizetype i = 0; boundIndex < 0 && !boundNode.isEmpty() && i < devices.size(); ++i) {
    if (QFileInfo(devices[i].Path).canonicalFilePath() == boundNode) boundIndex = static_cast<int>(i);
  }
  if (!bound.isEmpty() && boundIndex < 0) {
    const bool gone = !QFileInfo::exists(bound);
    addItem(QFileInfo(bound).fileName() + (gone ? QStringLiteral(" - not connected") : QString()), bound);
    setItemData(count() - 1, gone, kGoneRole);
    boundIndex = count() - 1;
  }
  const int keep = chosen_ ? findData(selected) : -1;
  setCurrentIndex(keep >= 0 ? keep : boundIndex);
}

void PortChooser::Discard() {
  chosen_ = false;
  ShowBinding();
}

void PortChooser::ShowBinding() {
  shownSignature_.reset();  // whatever it was, show it again
  Refresh();
}

void PortChooser::Watch(bool on) {
  if (!on) {
    folders_.Stop();
    return;
  }
  QStringList folders = SerialDeviceFolders();
  folders << QDir::currentPath();  // COM<n> made or removed by hand
  const std::optional<quint16> number = ComNumberOf(numberEdit_);
  const QString bound = number ? ComLinkTarget(*number) : QString();
  if (!bound.isEmpty()) folders << QFileInfo(bound).absolutePath();
  folders_.Watch(folders);
}

void PortChooser::showEvent(QShowEvent* event) {
  Refresh();
  Watch(true);
  QComboBox::showEvent(event);
}

void PortChooser::hideEvent(QHideEvent* event) {
  Watch(false);
  QComboBox::hideEvent(event);
}
