// The receive side of the main window: bytes into lines, lines into the
// status panel, the meter panel and the record bodies.
#include <QLabel>

#include "app/event_loop_probe.h"
#include "app/msg.h"
#include "app/qx7300main.h"
#include "display/graph_frame.h"
#include "app/radio_group.h"
#include "link/decimal_text.h"
#include "link/field_rule.h"
#include "link/record_layout.h"
#include "link/status_record.h"
#include "serial/serial_port.h"
#include "ui_qx7300main.h"

namespace {

constexpr qsizetype kSampleStart = 108;
constexpr qsizetype kWaveformLineLength = 409;

const QColor kPromptOff(255, 0, 0);
const QColor kPromptOn(0, 255, 0);

// A field whose first character is a prefix the meter does not show.
QByteArrayView ViewAfterPrefix(const LineFields& fields, quint16 n) {
  const QByteArrayView field = fields.View(n);
  return field.isEmpty() ? field : field.sliced(1);
}

// A code field; an empty one reads as `absent`.
void SetCode(QString& target, QByteArrayView field, QLatin1StringView absent) {
  SetFieldText(target, field.isEmpty() ? QByteArrayView(absent.data(), absent.size()) : field);
}

void CopySamples(const QByteArray& line, std::array<quint8, WaveformSamples::kEntries>& samples) {
  for (int k = 0; k < WaveformSamples::kFilled; ++k) {
    samples[static_cast<size_t>(k)] = static_cast<quint8>(line[kSampleStart + k]);
  }
}

}  // namespace

void Tqx7300form::SerialPort1TriggerAvail(TSerialPort& sender, quint16 count) {
  ConsumeReceived(count, [&sender] { return sender.ReceiveChar(); });
}

void Tqx7300form::ConsumeReceived(quint16 count, const std::function<quint8()>& receiveChar) {
  // Any data at all shows the analyser is alive.
  Comstimer_.stop();
  QByteArray line;
  for (quint16 i = 0; i < count; ++i) {
    const char ch = static_cast<char>(receiveChar());
    if (!framer_.Feed(ch, &line)) continue;
    // A recorded line is handled at the time it is recorded with, so that
    // a replay, which knows no other, does just the same with it.
    if (recording_) replayClock_ = RecordReceivedLine(line);
    // A bounds failure ends the line and leaves the rest of this
    // notification unread, for a later notification.
    // A copy that shares the line: once handled, its storage goes back to
    // the framer for a later line.
    const bool whole = ProcessLine(line);
    if (recording_) replayClock_.reset();
    EventLoopProbe::CountRecord();
    if (!whole) return;
  }
}

bool Tqx7300form::ProcessLine(QByteArray line) {
  const LineFields fields(line);
  SetCode(fields_.StatusCode, fields.View(2), QLatin1StringView("W"));
  SetCode(fields_.CurrentRangeCode, fields.View(3), QLatin1StringView("0"));
  SetCode(fields_.VoltageRangeCode, fields.View(4), QLatin1StringView("0"));
  const bool rangeFour = fields.View(3).startsWith('4');

  HandleCommonSection(fields);

  if (rangeFour) {
    AlignRangeFourRecord(line);
  }
  const char type = RecordTypeLetter(line);

  UpdateMeterExtremes();

  switch (type) {
    case 'H':
      return HandleFlickerRecord(line);
    case 'I':
      if (line.size() >= kWaveformLineLength) CopySamples(line, samples_.CurrentSamples);
      return true;
    case 'L':
      return HandleHarmonicsRecord(line);
    case 'V':
      if (graph_.GraphClearPending) ClearGraphArea();
      if (line.size() >= kWaveformLineLength) {
        CopySamples(line, samples_.VoltageSamples);
        DrawWaveformGraph();
        CopyGraphToWindow(kWaveformPlace);
      }
      return true;
    default:
      ui->Label59->setText(QStringLiteral("String Error"));
      return true;
  }
}

void Tqx7300form::HandleCommonSection(const LineFields& fields) {
  const char range = FirstChar(fields_.CurrentRangeCode);
  if (const std::optional<RangeUnits> units = UnitsForRange(range)) {
    ui->Label27->setText(units->current);
    ui->Label79->setText(units->current);
    ui->Label94->setText(units->harmonics);
    ui->Label81->setText(units->power);
    ui->Label58->setText(units->power);
  }
  if (const std::optional<QString> label = CurrentRangeLabel(range); label && *label != ui->Label26->text()) {
    // A new range shows at once, even inside a long reaction; an unchanged
    // one costs nothing.
    ui->Label26->setText(*label);
    ui->Label26->repaint();
  }

  const char status = FirstChar(fields_.StatusCode);
  ApplyStatusCode(status);
  // After a start the set-up stays locked through records of what came
  // before (held results, hold, overload, free run) until the analyser has
  // reported the test running; only its end gives the set-up back.
  if (status == 'T') test_.StartPending = false;
  if (StatusEnablesPanels(status) && !test_.StartPending) SetSettingsPanelsEnabled(true);
  ui->Label43->setVisible(status == 'T');
  ShowStartButton();

  SetFieldText(fields_.VoltsRms, ViewAfterPrefix(fields, 5));
  SetFieldText(fields_.VoltsPeak, fields.View(6));
  SetFieldText(fields_.Frequency, fields.View(7));
  SetFieldText(fields_.PeakPhase, fields.View(8));
  SetFieldText(fields_.AmpsRms, ViewAfterPrefix(fields, 10));
  SetFieldText(fields_.AmpsPeak, fields.View(11));
  SetFieldText(fields_.FundamentalAmps, fields.View(12));
  SetFieldText(fields_.TotalHarmonics, fields.View(13));
  SetFieldText(fields_.Watts, ViewAfterPrefix(fields, 14));
  SetFieldText(fields_.VoltAmps, fields.View(15));
  HandleAssessmentFields(fields);
  // The present fundamental of the harmonic tables comes with every line.
  harmonics_.HarmonicText[2][1] = fields_.FundamentalAmps;
  harmonics_.HarmonicValue[2][1] = ParseSingle(fields_.FundamentalAmps).value_or(0.0f);

  ShowMeterReadings(fields_);
}

void Tqx7300form::ApplyStatusCode(char status) {
  if (const std::optional<QString> text = StatusText(status)) ui->Label59->setText(*text);
  if (status == 'I') HideOperatorPrompt();
  if (status == 'T') HandleSecondsToGo();
  if (StatusClearsResultsLatched(status)) fields_.ResultsLatched = false;
  if (status != 'Q') return;

  BuildReport();
  if (!ManualSwitching()) return;
  HideOperatorPrompt();
  // The analyser keeps sending "Test Complete" while it holds the results;
  // the end-of-step actions run for the first of them only.
  // Nor for results still held from before a step was started.
  if (fields_.ResultsLatched || test_.StartPending) return;
  fields_.ResultsLatched = true;
  SaveSettings();
  UpdateFlickerDisplay();
  RecordStepResult();
}

void Tqx7300form::HandleSecondsToGo() {
  if (const std::optional<quint16> secs = SecondsToGo(fields_.StatusCode)) {
    const bool flickerStandard = FlickerStandard();
    if (ManualSwitching()) {
      switch (PromptForStep(*secs, test_.TestDuration)) {
        case SwitchingPrompt::SwitchOff:
          ShowOperatorPrompt(QStringLiteral("Switch OFF Unit Under Test."), kPromptOff);
          break;
        case SwitchingPrompt::SwitchOn:
          ShowOperatorPrompt(QStringLiteral("Switch ON Unit Under Test."), kPromptOn);
          break;
        case SwitchingPrompt::Hide:
          HideOperatorPrompt();
          break;
      }
    } else if (*secs <= 2) {
      // The results are about to be held: show them.
      if (flickerStandard) {
        ui->RadioGroup2->SetItemIndex(1);
      } else {
        ui->RadioGroup1->SetItemIndex(2);
      }
    }
  }
  ui->Label43->setText(SecondsToGoText(fields_.StatusCode));
}

void Tqx7300form::ShowOperatorPrompt(const QString& text, const QColor& colour) {
  if (companions_.msgform == nullptr) return;
  companions_.msgform->PromptLabel()->setText(text);
  companions_.msgform->SetColour(colour);
  companions_.msgform->show();
}

void Tqx7300form::HideOperatorPrompt() {
  if (companions_.msgform != nullptr) companions_.msgform->hide();
}

void Tqx7300form::ShowMeterReadings(const RecordFields& fields) {
  ui->Label42->setText(fields.VoltsRms);
  ui->Label83->setText(fields.VoltsPeak);
  ui->Label91->setText(fields.Frequency);
  ui->Label5->setText(fields.PeakPhase);
  ui->Label17->setText(fields.AmpsRms);
  ui->Label93->setText(fields.AmpsPeak);
  ui->Label85->setText(fields.TotalHarmonics);
  ui->Label80->setText(fields.Watts);
  ui->Label96->setText(fields.VoltAmps);
  // The maximum before this line's own reading is taken into the extremes.
  ui->Label57->setText(FormatFixed(extremes_.WattsMax, 2, 6));
  ui->Label97->setText(FormatFixed(RatioOf(fields.Watts, fields.VoltAmps), 3, 6));
  ui->Label3->setText(FormatFixed(RatioOf(fields.VoltsPeak, fields.VoltsRms), 3, 6));
  ui->Label78->setText(FormatFixed(RatioOf(fields.AmpsPeak, fields.AmpsRms), 3, 6));
}

void Tqx7300form::UpdateMeterExtremes() {
  extremes_.Update(fields_.VoltsRms, fields_.VoltsPeak, fields_.Frequency, fields_.AmpsRms,
                   fields_.AmpsPeak, fields_.Watts);
}

void Tqx7300form::ResetMeterExtremes() { extremes_.Reset(); }
