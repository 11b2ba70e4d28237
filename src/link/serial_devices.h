#pragma once

#include <QList>
#include <QString>

// The serial devices present on the machine, as a chooser lists them. Only
// the listing comes from the toolkit's serial port information; all serial
// input and output stays with the program's own serial component.
struct SerialDevice {
  QString Path;        // the device node, e.g. /dev/ttyUSB0
  QString StablePath;  // its /dev/serial/by-id link, empty when there is none
  QString Maker;
  QString Product;
  QString SerialNumber;

  // What a COM<n> link bound to this device points at: the stable path,
  // which follows the adapter to whatever node it gets, else the node.
  QString LinkTarget() const { return StablePath.isEmpty() ? Path : StablePath; }
  // "ttyUSB0 - FTDI FT232R USB UART (A1B2C3)", for a list.
  QString Label() const;
};

// Where the listing looks. Tests point it at a device tree of their own
// (pseudo-terminals behind by-id style links), with the system's ports left
// out.
struct SerialDeviceSources {
  QString ByIdFolder = QStringLiteral("/dev/serial/by-id");
  bool SystemPorts = true;
};
void SetSerialDeviceSources(const SerialDeviceSources& sources);
const SerialDeviceSources& CurrentSerialDeviceSources();

// The devices present, in the order of their nodes: the system's serial
// ports with their maker, product and serial number, each with its by-id
// link when there is one, and any other device a by-id link leads to.
QList<SerialDevice> ListSerialDevices();

// Changes whenever a device node or a by-id link comes or goes: the names
// the listing would look at, cheap to take where the listing itself (the
// system's device database) is not, so a list kept up to date asks for the
// listing only when this changes.
QString SerialDeviceSignature();
