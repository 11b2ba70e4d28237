#include "link/serial_devices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

SerialDeviceSources& Sources() {
  static SerialDeviceSources sources;
  return sources;
}

const QDir::Filters kLinks = QDir::System | QDir::Files | QDir::NoDotAndDotDot;

// The links of `folder` with the node each leads to, links left behind by
// a device that has gone left out.
QList<QPair<QFileInfo, QString>> LinksIn(const QString& folder) {
  QList<QPair<QFileInfo, QString>> links;
  for (const QFileInfo& link : QDir(folder).entryInfoList(kLinks, QDir::Name)) {
    if (!link.isSymLink()) continue;
    const QString node = QFileInfo(link.symLinkTarget()).canonicalFilePath();
    if (!node.isEmpty()) links.append({link, node});
  }
  return links;
}

QList<SerialDevice> SystemPorts() {
  if (Sources().PortList) return *Sources().PortList;
  QList<SerialDevice> ports;
  if (!Sources().SystemPorts) return ports;
  for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
    ports.append({port.systemLocation(), QString(), port.manufacturer(), port.description(), port.serialNumber()});
  }
  return ports;
}

// Whether the by-id name of `device` may stand for another adapter as
// well: it has no serial number, or another device has the same maker,
// product and serial number. Such adapters share one by-id name, which
// leads to whichever of them came last.
bool ByIdNameShared(const SerialDevice& device, const QList<SerialDevice>& ports) {
  if (device.SerialNumber.isEmpty()) return true;
  return std::count_if(ports.begin(), ports.end(), [&device](const SerialDevice& other) {
           return other.Maker == device.Maker && other.Product == device.Product &&
                  other.SerialNumber == device.SerialNumber;
         }) > 1;
}

}  // namespace

QString SerialDevice::Label() const {
  QString label = QFileInfo(Path).fileName();
  const QString what = QStringList{Maker, Product}.join(QLatin1Char(' ')).trimmed();
  if (!what.isEmpty()) label += QStringLiteral(" - ") + what;
  if (!SerialNumber.isEmpty()) label += QStringLiteral(" (") + SerialNumber + QLatin1Char(')');
  if (BySocket) label += QStringLiteral(" - by USB socket ") + QFileInfo(StablePath).fileName();
  return label;
}

void SetSerialDeviceSources(const SerialDeviceSources& sources) { Sources() = sources; }

const SerialDeviceSources& CurrentSerialDeviceSources() { return Sources(); }

bool NaturalLess(const QString& a, const QString& b) {
  qsizetype i = 0;
  qsizetype j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i].isDigit() && b[j].isDigit()) {
      qsizetype endA = i;
      qsizetype endB = j;
      while (endA < a.size() && a[endA].isDigit()) ++endA;
      while (endB < b.size() && b[endB].isDigit()) ++endB;
      // Leading zeros aside, the longer run of digits is the larger number.
      QStringView runA = QStringView(a).mid(i, endA - i);
      QStringView runB = QStringView(b).mid(j, endB - j);
      while (runA.size() > 1 && runA.front() == QLatin1Char('0')) runA = runA.mid(1);
      while (runB.size() > 1 && runB.front() == QLatin1Char('0')) runB = runB.mid(1);
      if (runA.size() != runB.size()) return runA.size() < runB.size();
      if (const int order = runA.compare(runB); order != 0) return order < 0;
      i = endA;
      j = endB;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
  return a < b;
}

QList<SerialDevice> ListSerialDevices() {
  QList<SerialDevice> devices = SystemPorts();
  QList<bool> shared;
  for (const SerialDevice& device : devices) shared.append(ByIdNameShared(device, devices));
  const auto listed = [&devices](const QString& node) {
    return std::find_if(devices.begin(), devices.end(), [&node](const SerialDevice& device) {
      return QFileInfo(device.Path).canonicalFilePath() == node;
    });
  };
  // The by-path links: the USB socket of a device whose by-id name is not
  // its own.
  for (const auto& [link, node] : LinksIn(Sources().ByPathFolder)) {
    const auto known = listed(node);
    if (known == devices.end() || !shared[known - devices.begin()] || !known->StablePath.isEmpty()) continue;
    known->StablePath = link.absoluteFilePath();
    known->BySocket = true;
  }
  // The by-id links: the stable name of a device listed already, or a
  // device of its own (the link's name tells what it is).
  for (const auto& [link, node] : LinksIn(Sources().ByIdFolder)) {
    const auto known = listed(node);
    if (known != devices.end()) {
      if (known->StablePath.isEmpty()) known->StablePath = link.absoluteFilePath();
    } else {
      devices.append({node, link.absoluteFilePath(), QString(), link.fileName(), QString()});
    }
  }
  std::stable_sort(devices.begin(), devices.end(),
                   [](const SerialDevice& a, const SerialDevice& b) { return NaturalLess(a.Path, b.Path); });
  return devices;
}

QString SerialDeviceSignature() {
  QStringList names = QDir(Sources().ByIdFolder).entryList(kLinks, QDir::Name);
  names << QDir(Sources().ByPathFolder).entryList(kLinks, QDir::Name);
  if (Sources().PortList) {
    for (const SerialDevice& port : *Sources().PortList) {
      if (QFileInfo::exists(port.Path)) names << port.Path;
    }
  } else if (Sources().SystemPorts) {
    names << QDir(QStringLiteral("/dev")).entryList({QStringLiteral("tty*")}, QDir::System | QDir::Files, QDir::Name);
  }
  return names.join(QLatin1Char('\n'));
}

QStringList SerialDeviceFolders() {
  QStringList folders{Sources().ByIdFolder, Sources().ByPathFolder};
  if (!Sources().PortList && Sources().SystemPorts) folders << QStringLiteral("/dev");
  return folders;
}
