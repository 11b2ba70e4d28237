// The receive side of the main window: bytes into lines for the document,
// and what each line changed onto the status panel, the meter panel and the
// displays.
#include <QLabel>

#include "app/event_loop_probe.h"
#include "app/msg.h"
#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "control/test_sequencing.h"
#include "display/graph_frame.h"
#include "link/status_record.h"
#include "serial/serial_port.h"
#include "ui_qx7300main.h"

namespace {

const QColor kPromptOff(255, 0, 0);
const QColor kPromptOn(0, 255, 0);

}  // namespace

void Tqx7300form::SerialPort1TriggerAvail(TSerialPort& sender, quint16 count) {
  ConsumeReceived(count, [&sender] { return sender.ReceiveChar(); });
}

void Tqx7300form::ConsumeReceived(quint16 count, const std::function<quint8()>& receiveChar) {
  EventLoopProbe::CountNotification();
  // Any data at all shows the analyser is alive.
  Comstimer_.stop();
  QByteArray line;
  for (quint16 i = 0; i < count; ++i) {
    const char ch = static_cast<char>(receiveChar());
    if (!document_->Feed(ch, &line)) continue;
    // A bounds failure ends the line and leaves the rest of this
    // notification unread, for a later notification.
    const bool whole = ProcessLine(line);
    EventLoopProbe::CountRecord();
    if (!whole) return;
  }
}

bool Tqx7300form::ProcessLine(const QByteArray& line) {
  const TestDocument::Received received = document_->ReceiveLine(line);
  ShowChange(received.change);
  return received.whole;
}

void Tqx7300form::ShowChange(const DocumentChange& change) {
  if (change.line) {
    ShowRange();
    if (change.statusSet) ShowStatus();
    if (change.hidePrompt) HideOperatorPrompt();
    if (change.prompt) {
      switch (*change.prompt) {
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
    }
    ShowSecondsToGo();
    if (change.panelsUnlocked) SetSettingsPanelsEnabled(true);
    ShowStartButton();
    ShowSummaryPanel();
    ShowMeterReadings();
  } else if (change.panelsUnlocked) {
    SetSettingsPanelsEnabled(true);
  }
  if (change.stepEnded) {
    SaveSettings();
    UpdateFlickerDisplay();
    ShowStartButton();
    ShowManualSwitchingResults();
  }
  if (change.graphCleared) ShowGraphCleared();
  if (change.waveformDrawn || change.histogramDrawn) ShowGraphDrawn(change);
  if (change.harmonics && ui->RadioGroup1->ItemIndex() == 2) UpdateChangedHarmonicsCells();
  if (change.flicker) UpdateFlickerDisplay();
  if (change.resultsDue) {
    // The results are about to be held: show them.
    if (FlickerStandard()) {
      ui->RadioGroup2->SetItemIndex(1);
    } else {
      ui->RadioGroup1->SetItemIndex(2);
    }
  }
  // The box waits for the operator: last, when everything else shows.
  if (change.sequenceFinished && !reviewMode_) dialogs_.ShowInformation(TestSequencing::kSequenceFinished);
}

void Tqx7300form::ShowRange() {
  const char range = FirstChar(document_->Fields().CurrentRangeCode);
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
}

void Tqx7300form::ShowStatus() {
  const QString& status = document_->StatusText();
  if (!status.isEmpty()) ui->Label59->setText(status);
}

void Tqx7300form::ShowSecondsToGo() {
  const QString& code = document_->Fields().StatusCode;
  ui->Label43->setVisible(FirstChar(code) == 'T');
  if (FirstChar(code) == 'T') ui->Label43->setText(SecondsToGoText(code));
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

void Tqx7300form::ShowMeterReadings() {
  const RecordFields& fields = document_->Fields();
  const DerivedReadings& readings = document_->Readings();
  ui->Label42->setText(fields.VoltsRms);
  ui->Label83->setText(fields.VoltsPeak);
  ui->Label91->setText(fields.Frequency);
  ui->Label5->setText(fields.PeakPhase);
  ui->Label17->setText(fields.AmpsRms);
  ui->Label93->setText(fields.AmpsPeak);
  ui->Label85->setText(fields.TotalHarmonics);
  ui->Label80->setText(fields.Watts);
  ui->Label96->setText(readings.VoltAmps);
  ui->Label57->setText(readings.WattsMax);
  ui->Label97->setText(readings.PowerFactor);
  ui->Label3->setText(readings.VoltageCrestFactor);
  ui->Label78->setText(readings.CurrentCrestFactor);
}
