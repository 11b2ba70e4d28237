#include "persist/configuration_file.h"

#include <iterator>
#include <optional>

#include "link/decimal_text.h"
#include "persist/safe_file_writer.h"
#include "persist/text_line_reader.h"

namespace {

using Control = ConfigurationControl;
using Kind = ConfigurationValueKind;

// One line of the file from line 3 on: its control and the member that holds
// its value (exactly one of the three is set).
struct LineLayout {
  Control control;
  const char* name;
  QString TestSetupValues::*text;
  int TestSetupValues::*index;
  bool TestSetupValues::*checked;
};

#define TEXT_LINE(member) {Control::member, #member, &TestSetupValues::member, nullptr, nullptr}
#define INDEX_LINE(member) {Control::member, #member, nullptr, &TestSetupValues::member, nullptr}
#define SWITCH_LINE(member) {Control::member, #member, nullptr, nullptr, &TestSetupValues::member}

const LineLayout kLayout[] = {
    TEXT_LINE(Edit1),        TEXT_LINE(Edit2),         TEXT_LINE(Edit5),        TEXT_LINE(Edit7),
    TEXT_LINE(Edit10),       TEXT_LINE(Edit13),        TEXT_LINE(Edit14),       TEXT_LINE(Edit15),
    INDEX_LINE(RadioGroup1), INDEX_LINE(RadioGroup2),  INDEX_LINE(RadioGroup5), INDEX_LINE(RadioGroup11),
    INDEX_LINE(ComboBox2),   INDEX_LINE(ComboBox3),    INDEX_LINE(ComboBox4),   INDEX_LINE(ComboBox5),
    INDEX_LINE(ComboBox6),   INDEX_LINE(ComboBox7),    SWITCH_LINE(RadioButton1), SWITCH_LINE(RadioButton2),
    SWITCH_LINE(CheckBox1),  SWITCH_LINE(CheckBox2),   SWITCH_LINE(CheckBox3),  SWITCH_LINE(CheckBox4),
    SWITCH_LINE(CheckBox5),  SWITCH_LINE(CheckBox6),   SWITCH_LINE(CheckBox7),  INDEX_LINE(ComboBox1),
};

#undef TEXT_LINE
#undef INDEX_LINE
#undef SWITCH_LINE

constexpr int kFirstValueLine = 3;
constexpr int kLineCount = kFirstValueLine + int(std::size(kLayout)) - 1;  // 30

const QString kTrue = QStringLiteral("TRUE");
const QString kFalse = QStringLiteral("FALSE");

Kind KindOf(const LineLayout& layout) {
  if (layout.text) return Kind::Text;
  if (layout.index) return Kind::Index;
  return Kind::Switch;
}

// The value of line `line` (3 to 30) read as `text`; nullopt for an index
// line that is not a whole number.
std::optional<ConfigurationItem> ItemFromLine(int line, const QString& text) {
  const LineLayout& layout = kLayout[line - kFirstValueLine];
  ConfigurationItem item;
  item.Line = line;
  item.Control = layout.control;
  item.Kind = KindOf(layout);
  switch (item.Kind) {
    case Kind::Text:
      item.Text = text;
      break;
    case Kind::Index: {
      const std::optional<int> number = ParseWholeNumber(text);
      if (!number) return std::nullopt;
      item.Index = *number & 0xFF;
      break;
    }
    case Kind::Switch:
      item.Checked = text == kTrue;
      break;
  }
  return item;
}

}  // namespace

QString ConfigurationControlName(ConfigurationControl control) {
  for (const LineLayout& layout : kLayout) {
    if (layout.control == control) return QString::fromLatin1(layout.name);
  }
  return QString();
}

QStringList ConfigurationLines(const TestSetupValues& values) {
  QStringList lines{QString::fromLatin1(kConfigurationHeading), QString()};
  for (const LineLayout& layout : kLayout) {
    switch (KindOf(layout)) {
      case Kind::Text:
        lines << values.*layout.text;
        break;
      case Kind::Index:
        lines << QString::number(values.*layout.index);
        break;
      case Kind::Switch:
        lines << (values.*layout.checked ? kTrue : kFalse);
        break;
    }
  }
  return lines;
}

bool SaveConfiguration(const QString& path, const TestSetupValues& values) {
  return SaveTextLines(path, ConfigurationLines(values));
}

ConfigurationRead ReadConfiguration(const QString& path) {
  TextLineReader reader(path);
  QStringList lines;
  while (lines.size() < kLineCount) {
    const std::optional<QString> text = reader.NextLine();
    if (!text) break;  // missing file, read error, or the file ends early
    lines << *text;
  }
  return ConfigurationFromLines(lines);
}

ConfigurationRead ConfigurationFromLines(const QStringList& lines) {
  ConfigurationRead read;
  for (int line = 1; line <= kLineCount; ++line) {
    if (line > lines.size()) {  // the file ends early
      read.Failed = true;
      break;
    }
    if (line < kFirstValueLine) continue;  // the heading and the empty line are not checked
    const std::optional<ConfigurationItem> item = ItemFromLine(line, lines[line - 1]);
    if (!item) {
      read.Failed = true;
      break;
    }
    read.Items << *item;
  }
  return read;
}

QList<ConfigurationItem> ConfigurationItems(const TestSetupValues& values) {
  const QStringList lines = ConfigurationLines(values);
  QList<ConfigurationItem> items;
  for (int line = kFirstValueLine; line <= kLineCount; ++line) {
    // Every line written from values parses.
    items << *ItemFromLine(line, lines[line - 1]);
  }
  return items;
}

void ApplyConfigurationItem(const ConfigurationItem& item, TestSetupValues& values) {
  if (item.Line < kFirstValueLine || item.Line > kLineCount) return;
  const LineLayout& layout = kLayout[item.Line - kFirstValueLine];
  if (layout.text) values.*layout.text = item.Text;
  if (layout.index) values.*layout.index = item.Index;
  if (layout.checked) values.*layout.checked = item.Checked;
}

QString CompanionConfigurationPath(const QString& reportPath) {
  const qsizetype nameStart = reportPath.lastIndexOf(QLatin1Char('/')) + 1;
  const QString folder = reportPath.left(nameStart);
  const QString name = reportPath.mid(nameStart);
  const QString companion = name.left(qMax<qsizetype>(0, name.size() - 3)) + QStringLiteral("HAC");
  if (companion.compare(name, Qt::CaseInsensitive) == 0) return reportPath + QStringLiteral(".HAC");
  return folder + companion;
}
