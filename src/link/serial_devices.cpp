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

}  // namespace

QString SerialDevice::Label() const {
  QString label = QFileInfo(Path).fileName();
  const QString what = QStringList{Maker, Product}.join(QLatin1Char(' ')).trimmed();
  if (!what.isEmpty()) label += QStringLiteral(" - ") + what;
  if (!SerialNumber.isEmpty()) label += QStringLiteral(" (") + SerialNumber + QLatin1Char(')');
  return label;
}

void SetSerialDeviceSources(const SerialDeviceSources& sources) { Sources() = sources; }

const SerialDeviceSources& CurrentSerialDeviceSources() { return Sources(); }

QList<SerialDevice> ListSerialDevices() {
  QList<SerialDevice> devices;
  if (Sources().SystemPorts) {
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
      devices.append({port.systemLocation(), QString(), port.manufacturer(), port.description(), port.serialNumber()});
    }
  }
  // The by-id links: the stable name of a device listed already, or a
  // device of its own (the link's name tells what it is).
  const QDir byId(Sources().ByIdFolder);
  for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    if (!link.isSymLink()) continue;
    const QString node = QFileInfo(link.symLinkTarget()).canonicalFilePath();
    if (node.isEmpty()) continue;  // a link left behind by a device that has gone
    const auto known = std::find_if(devices.begin(), devices.end(), [&node](const SerialDevice& device) {
      return QFileInfo(device.Path).canonicalFilePath() == node;
    });
    if (known != devices.end()) {
      if (known->StablePath.isEmpty()) known->StablePath = link.absoluteFilePath();
    } else {
      devices.append({node, link.absoluteFilePath(), QString(), link.fileName(), QString()});
    }
  }
  std::sort(devices.begin(), devices.end(),
            [](const SerialDevice& a, const SerialDevice& b) { return a.Path < b.Path; });
  return devices;
}

QString SerialDeviceSignature() {
  QStringList names = QDir(Sources().ByIdFolder).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
  if (Sources().SystemPorts) {
    names << QDir(QStringLiteral("/dev")).entryList({QStringLiteral("tty*")}, QDir::System | QDir::Files, QDir::Name);
  }
  return names.join(QLatin1Char('\n'));
}
