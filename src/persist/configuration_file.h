#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The configuration file: the test set-up of the main window's controls,
// 30 lines in a fixed order, one value a line.

inline constexpr const char* kConfigurationHeading = "QX7300 Configuration File";
// The start-up configuration is loaded as "Startup.hac" and written as
// "startup.HAC" after the settings file; both name one file of the working
// folder (WorkingFolderPath).
inline constexpr const char* kStartupConfigurationLoadName = "Startup.hac";
inline constexpr const char* kStartupConfigurationSaveName = "startup.HAC";
inline constexpr const char* kConfigurationWriteError = "Configuration File Write Error";
inline constexpr const char* kConfigurationReadError = "Configuration File Read Error";

// The values of lines 3 to 30, each named after the control it belongs to.
// The initialisers are the controls' design-time values.
struct TestSetupValues {
  // Lines 3 to 10: edit texts as they stand.
  QString Edit1 = QStringLiteral("24");     // "Number of Events to Collect"
  QString Edit2 = QStringLiteral("3.3");    // dc limit, percent
  QString Edit5 = QStringLiteral("40.2");   // class D "Rated Power"
  QString Edit7 = QStringLiteral("10");     // "Timed Test Duration"
  QString Edit10;                           // "Tested by"
  QString Edit13 = QStringLiteral("230");   // nominal voltage
  QString Edit14 = QStringLiteral("40.2");  // class C current before "Amps @"
  QString Edit15 = QStringLiteral("0.75");  // class C "PF Rating"
  // Lines 11 to 20: selected indices, -1 when nothing is selected.
  int RadioGroup1 = 0;   // "Harmonics Display Options"
  int RadioGroup2 = 0;   // "Flicker Display Options"
  int RadioGroup5 = 0;   // nominal frequency
  int RadioGroup11 = 0;  // "Sensing Method"
  int ComboBox2 = 0;     // dmax limit
  int ComboBox3 = 0;     // "Class"
  int ComboBox4 = 0;     // "Test Method Standard"
  int ComboBox5 = 0;     // "d(t)" limit
  int ComboBox6 = 0;     // "Reference Impedence"
  int ComboBox7 = 0;     // "No Limits Below"
  // Lines 21 to 29: switches.
  bool RadioButton1 = true;   // "Continuous"
  bool RadioButton2 = false;  // "Manual Switching"
  bool CheckBox1 = false;     // class C "Automatic"
  bool CheckBox2 = false;     // class D "Automatic"
  bool CheckBox3 = true;      // "Voltage Fluctuations"
  bool CheckBox4 = false;     // "Professional"
  bool CheckBox5 = false;     // two-hour Plt test
  bool CheckBox6 = true;      // "Flicker"
  bool CheckBox7 = false;     // "Join Dots"
  // Line 30.
  int ComboBox1 = 0;  // "Measurement"

  bool operator==(const TestSetupValues&) const = default;
};

// The controls of lines 3 to 30, in file order.
enum class ConfigurationControl {
  Edit1, Edit2, Edit5, Edit7, Edit10, Edit13, Edit14, Edit15,
  RadioGroup1, RadioGroup2, RadioGroup5, RadioGroup11,
  ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6, ComboBox7,
  RadioButton1, RadioButton2,
  CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7,
  ComboBox1,
};

enum class ConfigurationValueKind { Text, Index, Switch };

// One line's value as a load applies it.
struct ConfigurationItem {
  int Line = 0;  // 3 to 30
  ConfigurationControl Control = ConfigurationControl::Edit1;
  ConfigurationValueKind Kind = ConfigurationValueKind::Text;
  QString Text;          // Text: the whole line as read
  int Index = 0;         // Index: the low eight bits of the number, 0 to 255 (-1 gives 255)
  bool Checked = false;  // Switch: the line is "TRUE" exactly
};

// What a load reads: the items in file order up to the first failing line.
// Failed when the file is missing or cannot be opened, ends before line 30,
// or an index line is not a whole number; the items before that line are
// still there to be applied.
struct ConfigurationRead {
  QList<ConfigurationItem> Items;
  bool Failed = false;
};

// The control's object name in the main window, e.g. "ComboBox3".
QString ConfigurationControlName(ConfigurationControl control);

// The 30 lines of a file holding the set-up.
QStringList ConfigurationLines(const TestSetupValues& values);

// Writes the file, replacing any file of that name; false on any failure
// (the window then shows kConfigurationWriteError), the previous file kept.
bool SaveConfiguration(const QString& path, const TestSetupValues& values);

ConfigurationRead ReadConfiguration(const QString& path);
// The same from the file's lines (heading included) held in memory.
ConfigurationRead ConfigurationFromLines(const QStringList& lines);

// The items of a whole set-up in file order, as loading its file would give
// them. Applying the set-up defaults walks these the way a load does.
QList<ConfigurationItem> ConfigurationItems(const TestSetupValues& values);

// Puts one item's value into the member of its control.
void ApplyConfigurationItem(const ConfigurationItem& item, TestSetupValues& values);

// The companion configuration of a report file: the file name without its
// last three characters, followed by "HAC" (RUN7.TXT -> RUN7.HAC,
// RUN7.DATA -> RUN7.DHAC), in the report's folder. Where that would name
// the report itself (a report saved as RUN7.HAC), ".HAC" is appended to the
// report's name instead, so the companion never overwrites the report.
QString CompanionConfigurationPath(const QString& reportPath);
