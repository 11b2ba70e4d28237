#pragma once

#include <QtGlobal>

#include <string>

// The device behind port number n (n >= 1): the entry "COM<n>" of the working
// folder, its letter case ignored, when there is one (normally a symbolic link
// to a serial device or a pseudo-terminal); otherwise /dev/ttyS<n-1>.
std::string DevicePathFor(quint16 comNumber);

// What number n names without COM<n> in the working folder: the machine's
// own /dev/ttyS<n-1>.
std::string MachinePortPathFor(quint16 comNumber);

// The port's own name for number n: "COM<n>".
std::string DeviceNameFor(quint16 comNumber);
