// The harmonics summary panel, its supply check memo and the harmonics
// table, as the document has them.
#include <QLabel>
#include <QPainter>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <utility>

#include "app/qx7300main.h"
#include "results/assessment_summary.h"
#include "ui_qx7300main.h"

namespace {

// A label given the text it already shows costs nothing.
void ShowText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

}  // namespace

void Tqx7300form::ShowSummaryPanel() {
  const SummaryPanel& summary = document_->Summary();
  ui->Label2->setText(summary.Verdict);
  if (const std::optional<int> flags = document_->SupplyCheckFlags()) ShowSupplyCheckMemo(*flags);
  ShowText(ui->Label34, summary.Value2);
  ShowText(ui->Label28, summary.Caption1);
  ShowText(ui->Label29, summary.Caption2);
  ShowText(ui->Label35, summary.ClassLine1);
  ShowText(ui->Label19, summary.ClassLine2);
  ShowText(ui->Label22, summary.Value1);
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
  HarmonicsTableCell content = HarmonicsTableCellAt(document_->Harmonics(), column, row);
  DrawHarmonicsTableCell(painter, cell, content, marks_);
  if (column >= 0 && column < kHarmonicsTableColumns && row >= 0 && row < kHarmonicsTableRows)
    paintedTableCells_[static_cast<std::size_t>(row * kHarmonicsTableColumns + column)] = std::move(content);
}

void Tqx7300form::UpdateChangedHarmonicsCells() {
  // Every path that changes the table otherwise repaints all of it, so what
  // was last painted is what the screen shows, or is about to.
  DrawGrid* grid = ui->DrawGrid1;
  for (int row = 0; row < kHarmonicsTableRows && row < grid->rowCount(); ++row) {
    for (int column = 0; column < kHarmonicsTableColumns && column < grid->columnCount(); ++column) {
      if (HarmonicsTableCellAt(document_->Harmonics(), column, row) !=
          paintedTableCells_[static_cast<std::size_t>(row * kHarmonicsTableColumns + column)])
        grid->viewport()->update(grid->visualRect(grid->model()->index(row, column)));
    }
  }
}
