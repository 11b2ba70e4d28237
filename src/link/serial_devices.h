#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The serial devices present on the machine, as a chooser lists them. Only
// the listing comes from the toolkit's serial port information; all serial
// input and output stays with the program's own serial component.
struct SerialDevice {
  QString Path;        // the device node, e.g. /dev/ttyUSB0
  QString StablePath;  // the link a binding uses, empty when there is none
  QString Maker;
  QString Product;
  QString SerialNumber;
  // StablePath is the device's /dev/serial/by-path link (its USB socket):
  // its by-id name does not tell it from another adapter (an identical one,
  // or one without a serial number).
  bool BySocket = false;

  // What a COM<n> link bound to this device points at: the stable path,
  // which follows the adapter to whatever node it gets, else the node.
  QString LinkTarget() const { return StablePath.isEmpty() ? Path : StablePath; }
  // "ttyUSB0 - FTDI FT232R USB UART (A1B2C3)", for a list; a device bound
  // by its socket says so and names the socket.
  QString Label() const;
};

// Where the listing looks. Tests point it at a device tree of their own
// (pseudo-terminals behind by-id and by-path style links), with the
// system's ports left out or replaced by a list of their own.
struct SerialDeviceSources {
  QString ByIdFolder = QStringLiteral("/dev/serial/by-id");
  bool SystemPorts = true;
  QString ByPathFolder = QStringLiteral("/dev/serial/by-path");
  // Stands for the system's ports when set (node, maker, product, serial
  // number of each); SystemPorts is then ignored.
  std::optional<QList<SerialDevice>> PortList;
};
void SetSerialDeviceSources(const SerialDeviceSources& sources);
const SerialDeviceSources& CurrentSerialDeviceSources();

// The devices present, in the natural order of their nodes (ttyUSB2 before
// ttyUSB10): the system's serial ports with their maker, product and serial
// number, each with its by-id link when that name is its own, else its
// by-path link when there is one, and any other device a by-id link leads
// to.
QList<SerialDevice> ListSerialDevices();

// Changes whenever a device node or a by-id or by-path link comes or goes:
// the names the listing would look at, cheap to take where the listing
// itself (the system's device database) is not, so a list kept up to date
// asks for the listing only when this changes.
QString SerialDeviceSignature();

// The folders whose changes can change the listing (the by-id and by-path
// folders, and /dev when the system's ports are listed), for a watcher.
QStringList SerialDeviceFolders();

// Whether `a` comes before `b` with runs of digits compared as numbers.
bool NaturalLess(const QString& a, const QString& b);
