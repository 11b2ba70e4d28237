// The report store's header and body head, built from what the window
// shows at the moment of the build.
#include <QPlainTextEdit>

#include "app/qx7300main.h"
#include "report/report_text.h"
#include "results/assessment_summary.h"
#include "ui_qx7300main.h"

ReportSnapshot Tqx7300form::TakeReportSnapshot() const {
  ReportSnapshot s;
  s.ReportCounter = static_cast<qint32>(test_.ReportCounter);
  s.TestStartTime = shell_.TestStartTime;
  s.TimedTestDuration = ui->Edit7->text();
  s.EquipmentUnderTest = ui->Edit8->text();
  s.SerialNumber = ui->Edit9->text();
  s.TestedBy = ui->Edit10->text();
  s.ManualSwitching = ManualSwitching();
  s.Measurement = ui->ComboBox1->currentIndex();
  s.Extremes = extremes_;
  s.CurrentRangeCode = fields_.CurrentRangeCode;
  s.VoltAmps = ui->Label96->text();
  s.PowerFactor = ui->Label97->text();
  s.CurrentCrestFactor = ui->Label78->text();
  s.TestMethodStandard = ui->ComboBox4->currentText();
  s.Professional = ui->CheckBox4->isChecked();
  // The memo as it is about to show, when the last record's checks are
  // still on their way to it.
  const QString memo = pendingMemoFlags_ ? SupplyCheckMemo(*pendingMemoFlags_) : ui->Memo1->toPlainText();
  if (!memo.isEmpty()) s.SummaryMemo = memo.split(QLatin1Char('\n'));
  s.ClassCode = fields_.ClassCode;
  s.ClassVerdict = ui->Label35->text();
  s.ClassReason = ui->Label19->text();
  s.SummaryValue1 = ui->Label22->text();
  s.SummaryValue2 = ui->Label34->text();
  return s;
}

void Tqx7300form::BuildReport() { ::BuildReport(TakeReportSnapshot(), report_); }
