#pragma once

#include <QDateTime>

#include "persist/settings_file.h"

// State of the program's shell shared by several subsystems.
struct ShellState {
  // Set near the end of start-up; until then a change of standard does
  // nothing and harmonics settings only reset the display choice.
  bool StartupComplete = false;
  // While set, the link watchdog shows no no-response dialog. Cleared when
  // the splash is accepted; set again for good by "Use Offline".
  bool LinkFaultSuppressed = true;
  // "Use Offline" was chosen: a device that goes away is not looked for.
  bool WorkingOffline = false;
  // The serial port opened at start-up or from the Settings dialog.
  bool PortConnected = false;
  // The settings file has been read (or made by the defaults procedure).
  // Until then the window holds no settings of the operator's, and saving
  // would overwrite theirs with the program's initial values.
  bool SettingsLoaded = false;
  // The port number kept in the settings file; the serial port follows it.
  quint8 ComPortNumber = 0;
  // The font of report printing, the preview and the graphic printout's
  // text; until a settings file is read, that of the font dialog.
  PrinterFontValues PrinterFont{QStringLiteral("MS Sans Serif"), 8, 0};
  // The size, in MB, recordings/ is kept within.
  qint32 RecordingsLimitMB = ProgramSettings::kDefaultRecordingsLimit;
  // The lab's archive server, when there is one.
  ArchiveServer LabServer{};
};
