#pragma once

#include <QString>

#include <optional>

// The settings file of the working folder.
inline constexpr const char* kSettingsFileName = "QX7300.ini";

// Line 4 of the settings file: the serial port number before the first
// ";" or ",", read as a number that may have a fraction and rounded half to
// even. Text that is not a number counts as 0; a result outside 0..255 is a
// read failure (nullopt).
std::optional<int> ParsePortLine(const QString& line);

// The port number kept in a settings file, or nullopt when the file is
// missing, cut short or its port line is bad.
std::optional<int> ReadSettingsPort(const QString& path);
