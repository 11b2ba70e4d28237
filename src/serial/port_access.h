#pragma once

#include <QtGlobal>

#include <string>

// Why port number n could not be opened, in words for the operator: which
// device the number stands for (the "COM<n>" link of the working folder or
// /dev/ttyS<n-1>), the system's reason, and what gives access. Looks at the
// device without opening it, so asking has no effect on the line. The
// component's own message (`portMessage`) is quoted when the device itself
// looks usable. A number bound to an adapter by its stable name (a by-id or
// by-path link) whose adapter is unplugged is told so, and the link left as
// it is. Lines end with '\n'.
std::string DescribePortAccess(quint16 comNumber, const std::string& portMessage);
