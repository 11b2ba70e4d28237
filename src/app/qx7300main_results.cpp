// Result records from the analyser: the harmonic tables and their report
// rows, the harmonics summary panel and the harmonics table.
#include <QLabel>
#include <QPainter>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <utility>

#include "app/qx7300main.h"
#include "display/graph_frame.h"
#include "app/radio_group.h"
#include "link/field_rule.h"
#include "results/assessment_summary.h"
#include "results/harmonic_report_rows.h"
#include "results/harmonics_record.h"
#include "ui_qx7300main.h"

namespace {

// Shows the Latin-1 `text` and then `unit` on `label`; the text it already
// shows costs no new string.
void ShowFieldText(QLabel* label, QByteArrayView text, const QString& unit = {}) {
  const QString shown = label->text();
  const QLatin1StringView value(text.data(), text.size());
  if (shown.size() == value.size() + unit.size() && shown.startsWith(value) && shown.endsWith(unit)) return;
  label->setText(QString(value) + unit);
}

}  // namespace

void Tqx7300form::HandleAssessmentFields(const LineFields& fields) {
  const QByteArrayView classCode = fields.View(17);
  const QByteArrayView verdict = fields.View(16);
  const AssessmentSummary summary =
      SummariseAssessment(fields.View(9), verdict, classCode, fields.View(18), fields.View(19));
  fields_.SupplyCheckFlags = summary.SupplyCheckFlags;
  SetFieldText(fields_.HarmonicsVerdict, verdict);
  SetFieldText(fields_.ClassCode, classCode);

  ui->Label2->setText(summary.verdict);
  ShowSupplyCheckMemo(summary.SupplyCheckFlags);
  ShowFieldText(ui->Label34, summary.value2);
  if (summary.classified) {
    if (summary.caption1) ui->Label28->setText(*summary.caption1);
    if (summary.caption2) ui->Label29->setText(*summary.caption2);
    if (summary.line1) ui->Label35->setText(*summary.line1);
    ui->Label19->setText(summary.line2);
  }
  // The unit follows the caption the row shows now, kept or just set.
  ShowFieldText(ui->Label22, summary.value1, SummaryValueUnit(ui->Label28->text()));
}

void Tqx7300form::ShowSupplyCheckMemo(int flags) {
  // Giving the memo another document lays it out anew, which costs more
  // than the rest of a record; records handled in one go would each do it,
  // and only the last is ever seen. The memo takes the latest flags once
  // the handler has returned, before the window is painted.
  const bool posted = pendingMemoFlags_.has_value();
  // The usual case: the checks the memo shows already, nothing on the way.
  if (!posted && ui->Memo1->document() == supplyMemos_[static_cast<size_t>(flags & 15)]) return;
  pendingMemoFlags_ = flags & 15;
  if (!posted) QMetaObject::invokeMethod(this, &Tqx7300form::ShowPendingMemo, Qt::QueuedConnection);
}

void Tqx7300form::ShowPendingMemo() {
  if (!pendingMemoFlags_) return;
  const int flags = *std::exchange(pendingMemoFlags_, std::nullopt);
  // Supply checks that come and go with the records would otherwise build
  // the memo's document and lay it out anew each time: each set of flags
  // gets its own, kept, and the memo is given it only when it shows another.
  QTextDocument*& document = supplyMemos_[static_cast<size_t>(flags)];
  if (document == nullptr) {
    const QTextDocument& shown = *ui->Memo1->document();
    // Owned by the window: the memo deletes a document it is shown by turns
    // with only when the document is its own.
    document = new QTextDocument(this);
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    document->setDefaultFont(shown.defaultFont());
    document->setDocumentMargin(shown.documentMargin());
    document->setDefaultTextOption(shown.defaultTextOption());
    document->setPlainText(SupplyCheckMemo(flags));
  }
  if (ui->Memo1->document() != document) ui->Memo1->setDocument(document);
}

void Tqx7300form::DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& cell) {
  DrawHarmonicsTableCell(painter, cell, HarmonicsTableCellAt(harmonics_, column, row), marks_);
}

bool Tqx7300form::HandleHarmonicsRecord(const QByteArray& line) {
  // A cut-short record ends the line here; its report rows wait for a
  // whole one.
  if (!ReadHarmonicsRecord(line, harmonics_)) return false;
  WriteHarmonicReportRows(harmonics_, report_);
  switch (ui->RadioGroup1->ItemIndex()) {
    case 1:
      DrawHarmonicsHistogram();
      CopyGraphToWindow(kHistogramPlace);
      break;
    case 2:
      ui->DrawGrid1->viewport()->update();
      break;
    default:
      break;
  }
  return true;
}
