#include "app/test_history_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/archived_report_view.h"
#include "app/operator_dialogs.h"
#include "app/recording_review.h"
#include "archive/archive_database.h"
#include "archive/archive_model.h"
#include "archive/archive_server.h"
#include "persist/safe_file_writer.h"
#include "record/recording_reader.h"

namespace {

// The report's forms in the order a preview prefers them.
const char* const kReportRoles[] = {"text", "csv", "pdf"};

const ArchiveFile* FileOfRole(const QList<ArchiveFile>& files, const QString& role) {
  for (const ArchiveFile& file : files)
    if (file.role == role) return &file;
  return nullptr;
}

QString TestsText(qint64 count) {
  return count == 1 ? QStringLiteral("1 test") : QStringLiteral("%1 tests").arg(count);
}

QDateEdit* DateEdit(QWidget* parent) {
  auto* edit = new QDateEdit(QDate::currentDate(), parent);
  edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  edit->setCalendarPopup(true);
  edit->setEnabled(false);
  return edit;
}

}  // namespace

TestHistoryWindow::TestHistoryWindow(OperatorDialogs& dialogs, const QString& archivePath,
                                     const PrinterFontValues& printerFont, QWidget* parent)
    : QWidget(parent, Qt::Window),
      dialogs_(dialogs),
      archivePath_(archivePath),
      connection_(QStringLiteral("veltrix-history-%1").arg(quintptr(this))),
      printerFont_(printerFont) {
  setWindowTitle(QStringLiteral("QX7300 Test History"));
  BuildControls();
  searchDelay_.setSingleShot(true);
  searchDelay_.setInterval(kSearchDelayMs);
  connect(&searchDelay_, &QTimer::timeout, this, &TestHistoryWindow::ApplySearch);
  OpenArchive();
  resize(1180, 640);
}

TestHistoryWindow::~TestHistoryWindow() { CloseArchive(); }

void TestHistoryWindow::BuildControls() {
  auto* layout = new QVBoxLayout(this);

  auto* search = new QGridLayout;
  const auto line = [&](const QString& caption, QLineEdit*& edit, int column, int row = 0) {
    edit = new QLineEdit(this);
    edit->setClearButtonEnabled(true);
    auto* label = new QLabel(caption, this);
    label->setBuddy(edit);
    search->addWidget(label, row, column);
    search->addWidget(edit, row, column + 1);
    connect(edit, &QLineEdit::textChanged, this, [this] { searchDelay_.start(); });
  };
  line(QStringLiteral("&Equipment:"), ui_.equipment, 0);
  line(QStringLiteral("Serial &No.:"), ui_.serialNumber, 2);
  line(QStringLiteral("Tested &by:"), ui_.testedBy, 4);
  line(QStringLiteral("&Text:"), ui_.freeText, 6);
  ui_.freeText->setPlaceholderText(QStringLiteral("anywhere in the test or its report"));
  search->setColumnStretch(1, 1);
  search->setColumnStretch(3, 1);
  search->setColumnStretch(5, 1);
  search->setColumnStretch(7, 2);
  layout->addLayout(search);

  auto* filters = new QHBoxLayout;
  const auto combo = [&](const QString& caption, QComboBox*& box, const QStringList& items) {
    box = new QComboBox(this);
    box->addItems(items);
    auto* label = new QLabel(caption, this);
    label->setBuddy(box);
    filters->addWidget(label);
    filters->addWidget(box);
    connect(box, &QComboBox::currentIndexChanged, this, &TestHistoryWindow::ApplySearch);
  };
  combo(QStringLiteral("&Standard:"), ui_.standard,
        {QStringLiteral("Any"), QStringLiteral("EN61000-3-2"), QStringLiteral("EN61000-3-3")});
  combo(QStringLiteral("&Verdict:"), ui_.verdict,
        {QStringLiteral("Any"), QStringLiteral("PASS"), QStringLiteral("FAIL"), QStringLiteral("None")});
  const auto date = [&](const QString& caption, QCheckBox*& on, QDateEdit*& edit) {
    on = new QCheckBox(caption, this);
    edit = DateEdit(this);
    filters->addSpacing(8);
    filters->addWidget(on);
    filters->addWidget(edit);
    connect(on, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    connect(on, &QCheckBox::toggled, this, &TestHistoryWindow::ApplySearch);
    connect(edit, &QDateEdit::dateChanged, this, &TestHistoryWindow::ApplySearch);
  };
  date(QStringLiteral("&From"), ui_.fromOn, ui_.from);
  date(QStringLiteral("T&o"), ui_.toOn, ui_.to);
  filters->addSpacing(8);
  combo(QStringLiteral("St&ation:"), ui_.station, {QStringLiteral("Any")});
  ui_.station->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  filters->addStretch(1);
  layout->addLayout(filters);

  pages_ = new QStackedWidget(this);
  ui_.table = new QTableView(pages_);
  ui_.table->setSelectionBehavior(QAbstractItemView::SelectRows);
  ui_.table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ui_.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui_.table->setAlternatingRowColors(true);
  ui_.table->setWordWrap(false);
  ui_.table->verticalHeader()->hide();
  ui_.table->verticalHeader()->setDefaultSectionSize(ui_.table->fontMetrics().height() + 6);
  ui_.table->horizontalHeader()->setHighlightSections(false);
  ui_.table->horizontalHeader()->setStretchLastSection(true);
  connect(ui_.table, &QTableView::doubleClicked, this, [this] { PreviewReport(); });
  ui_.message = new QLabel(pages_);
  ui_.message->setAlignment(Qt::AlignCenter);
  ui_.message->setWordWrap(true);
  pages_->addWidget(ui_.table);
  pages_->addWidget(ui_.message);
  layout->addWidget(pages_, 3);

  ui_.verified = new QTreeWidget(this);
  ui_.verified->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Kind"), QStringLiteral("Found")});
  ui_.verified->setRootIsDecorated(true);
  ui_.verified->hide();
  layout->addWidget(ui_.verified, 1);

  auto* buttons = new QHBoxLayout;
  ui_.count = new QLabel(this);
  buttons->addWidget(ui_.count);
  buttons->addStretch(1);
  const auto button = [&](const QString& caption, QPushButton*& push, auto action) {
    push = new QPushButton(caption, this);
    buttons->addWidget(push);
    connect(push, &QPushButton::clicked, this, action);
  };
  button(QStringLiteral("&Preview Report"), ui_.preview, [this] { PreviewReport(); });
  button(QStringLiteral("Open &Recording..."), ui_.recording, [this] { OpenRecording(); });
  button(QStringLiteral("Verify F&iles"), ui_.verify, [this] { VerifyFiles(); });
  button(QStringLiteral("Re&fresh"), ui_.refresh, [this] { Refresh(); });
  QPushButton* close = nullptr;
  button(QStringLiteral("&Close"), close, [this] { this->close(); });
  layout->addLayout(buttons);
}

void TestHistoryWindow::OpenArchive() {
  source_.clear();
  onServer_ = false;
  QString error;
  if (labServer_.IsSet()) {
    db_ = OpenServerArchive(labServer_, labPassword_, connection_, &error);
    onServer_ = db_.isOpen();
    if (db_.isOpen()) {
      source_ = QStringLiteral("in the lab's archive (%1 on %2)").arg(labServer_.database, labServer_.host);
    } else {
      source_ = QStringLiteral("in this station's archive: the lab's server cannot be reached (%1)").arg(error);
      CloseArchive();
      error.clear();
    }
  }
  // Opening would make an archive; the history only reads one.
  if (!db_.isOpen() && !QFileInfo::exists(archivePath_)) {
    ShowMessage(QStringLiteral("No tests filed yet"));
    ui_.count->setText(source_);
    return;
  }
  if (!db_.isOpen()) db_ = OpenStationArchive(archivePath_, connection_, &error);
  if (!db_.isOpen()) {
    ShowMessage(QStringLiteral("The archive cannot be opened.\n") + error);
    CloseArchive();
    return;
  }
  model_ = new ArchiveModel(db_, this);
  ui_.table->setModel(model_);
  ui_.table->setSortingEnabled(true);
  ui_.table->horizontalHeader()->setSortIndicator(int(ArchiveColumn::TestedAt), Qt::DescendingOrder);
  // Widths that fit the window's width, the files' state last.
  const int widths[] = {150, 80, 180, 110, 120, 100, 100, 60, 70, 90, 70};
  for (int column = 0; column <= ArchiveModel::kFilesColumn; ++column)
    ui_.table->horizontalHeader()->resizeSection(column, widths[column]);
  connect(model_, &ArchiveModel::Selected, this, &TestHistoryWindow::ShowListing);
  connect(ui_.table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TestHistoryWindow::UpdateButtons);
  connect(ui_.table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &TestHistoryWindow::UpdateButtons);
  FillStations();
  ApplySearch();
}

void TestHistoryWindow::CloseArchive() {
  if (model_ != nullptr) {
    ui_.table->setModel(nullptr);
    delete model_;
    model_ = nullptr;
  }
  if (db_.isValid()) db_.close();
  db_ = QSqlDatabase();
  if (QSqlDatabase::contains(connection_)) QSqlDatabase::removeDatabase(connection_);
}

void TestHistoryWindow::ShowMessage(const QString& text) {
  ui_.message->setText(text);
  pages_->setCurrentWidget(ui_.message);
  ui_.count->clear();
  UpdateButtons();
}

void TestHistoryWindow::ShowListing() {
  if (model_ == nullptr) return;
  if (!model_->Error().isEmpty()) {
    ShowMessage(QStringLiteral("The archive cannot be read.\n") + model_->Error());
    return;
  }
  pages_->setCurrentWidget(ui_.table);
  ui_.count->setText(source_.isEmpty() ? TestsText(model_->Count())
                                       : TestsText(model_->Count()) + QLatin1Char(' ') + source_);
  UpdateButtons();
}

void TestHistoryWindow::FillStations() {
  const QString chosen = ui_.station->currentIndex() > 0 ? ui_.station->currentText() : QString();
  const QSignalBlocker quiet(ui_.station);
  ui_.station->clear();
  ui_.station->addItem(QStringLiteral("Any"));
  ui_.station->addItems(model_->Stations());
  ui_.station->setCurrentIndex(qMax(0, ui_.station->findText(chosen)));
}

void TestHistoryWindow::ApplySearch() {
  searchDelay_.stop();
  if (model_ == nullptr) return;
  ArchiveQuery query;
  query.equipment = ui_.equipment->text().trimmed();
  query.serialNumber = ui_.serialNumber->text().trimmed();
  query.testedBy = ui_.testedBy->text().trimmed();
  query.freeText = ui_.freeText->text().trimmed();
  if (ui_.standard->currentIndex() > 0) query.standard = ui_.standard->currentText();
  if (ui_.verdict->currentIndex() > 0)
    query.verdict = ui_.verdict->currentIndex() == 3 ? QStringLiteral("NONE") : ui_.verdict->currentText();
  if (ui_.fromOn->isChecked()) query.since = ui_.from->date();
  if (ui_.toOn->isChecked()) query.until = ui_.to->date();
  if (ui_.station->currentIndex() > 0) query.station = ui_.station->currentText();
  model_->SetQuery(query);
}

void TestHistoryWindow::Refresh() {
  // Nothing listed yet, or this station's archive in place of a lab's
  // server that could not be reached: the server is tried again.
  if (model_ == nullptr || (labServer_.IsSet() && !onServer_)) {
    CloseArchive();
    OpenArchive();
    return;
  }
  FillStations();
  ApplySearch();
}

void TestHistoryWindow::UpdateButtons() {
  const bool listing = model_ != nullptr && pages_->currentWidget() == ui_.table;
  const bool current = listing && CurrentRow() >= 0;
  ui_.preview->setEnabled(current);
  ui_.recording->setEnabled(current);
  ui_.verify->setEnabled(listing && ui_.table->selectionModel()->hasSelection());
}

int TestHistoryWindow::CurrentRow() const {
  if (model_ == nullptr) return -1;
  const QModelIndex current = ui_.table->currentIndex();
  if (current.isValid()) return current.row();
  const QModelIndexList rows = ui_.table->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

ArchivedReportView* TestHistoryWindow::PreviewReport() {
  const int row = CurrentRow();
  if (row < 0) return nullptr;
  const QList<ArchiveFile> files = model_->Files(model_->EntryId(row), true);
  const ArchiveFile* report = nullptr;
  for (const char* role : kReportRoles)
    if ((report = FileOfRole(files, QLatin1String(role))) != nullptr) break;
  if (report == nullptr) {
    dialogs_.ShowWarning(QStringLiteral("%1 was filed without a report.").arg(model_->EntryName(row)));
    return nullptr;
  }
  QByteArray bytes;
  QString note;
  const FileState state = CheckArchivedFile(*report);
  if (!report->bytes.isEmpty()) {
    // The archive's own copy is what was filed, whatever became of the file.
    bytes = report->bytes;
    if (state != FileState::Same)
      note = QStringLiteral("The report as it was filed; the file %1 has been %2.")
                 .arg(report->path, state == FileState::Missing ? QStringLiteral("moved or removed")
                                                                 : QStringLiteral("changed since"));
  } else if (state == FileState::Missing) {
    dialogs_.ShowWarning(
        QStringLiteral("The report %1 has been moved or removed since it was filed.").arg(report->path));
    return nullptr;
  } else {
    QFile file(report->path);
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    note = state == FileState::Changed
               ? QStringLiteral("The report %1 has changed since it was filed.").arg(report->path)
               : report->path;
  }
  QString text;
  if (report->role == QLatin1String("pdf")) {
    note = QStringLiteral("The report was filed as a PDF only: %1").arg(report->path);
  } else {
    // The program's report files are in the single-byte character set.
    text = QString::fromLatin1(bytes);
    text.remove(QLatin1Char('\r'));
  }
  if (reportView_ == nullptr) reportView_ = new ArchivedReportView(this);
  QFont font(printerFont_.Name);
  font.setPointSize(printerFont_.Size);
  reportView_->Show(model_->EntryName(row), note, text, font);
  return reportView_;
}

RecordingReview* TestHistoryWindow::OpenRecording() {
  const int row = CurrentRow();
  if (row < 0) return nullptr;
  const QList<ArchiveFile> files = model_->Files(model_->EntryId(row));
  const ArchiveFile* recording = FileOfRole(files, QStringLiteral("recording"));
  if (recording == nullptr) {
    dialogs_.ShowWarning(QStringLiteral("%1 was filed without a recording.").arg(model_->EntryName(row)));
    return nullptr;
  }
  QString path = recording->path;
  const FileState found = CheckArchivedFile(*recording);
  if (found != FileState::Same) {
    // Another station's test, or a file moved since: the archive's own
    // copy, when it keeps one, is the recording as it was filed.
    const QList<ArchiveFile> kept = model_->Files(model_->EntryId(row), true);
    const ArchiveFile* copy = FileOfRole(kept, QStringLiteral("recording"));
    if (copy != nullptr && !copy->bytes.isEmpty() && ArchiveHash(copy->bytes) == copy->sha256) {
      path = QDir::temp().filePath(QStringLiteral("veltrix-archived-%1.qxr").arg(QString::fromLatin1(copy->sha256.left(16))));
      if (!SaveFileBytes(path, copy->bytes)) {
        dialogs_.ShowWarning(QStringLiteral("The archive's copy of the recording cannot be written to %1.").arg(path));
        return nullptr;
      }
    } else if (found == FileState::Missing) {
      dialogs_.ShowWarning(
          QStringLiteral("The recording %1 has been moved or removed since it was filed.").arg(recording->path));
      return nullptr;
    }
  }
  const RecordingReader probe(path);
  if (!probe.Start().isValid()) {
    dialogs_.ShowWarning(probe.Problem());
    return nullptr;
  }
  // It deletes itself when the review ends.
  return new RecordingReview(path, dialogs_, printerFont_);
}

void TestHistoryWindow::VerifyFiles() {
  if (model_ == nullptr) return;
  QModelIndexList rows = ui_.table->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end());
  if (rows.isEmpty()) return;
  ui_.verified->clear();
  for (const QModelIndex& index : rows) {
    const qint64 id = model_->EntryId(index.row());
    auto* entry = new QTreeWidgetItem(ui_.verified, {model_->EntryName(index.row())});
    QList<FileState> states;
    for (const ArchiveFile& file : model_->Files(id)) {
      const FileState state = CheckArchivedFile(file);
      states << state;
      auto* item = new QTreeWidgetItem(entry, {file.path, file.role, FileStateText(state)});
      if (state != FileState::Same) item->setForeground(2, QBrush(QColor(200, 0, 0)));
    }
    if (states.isEmpty()) entry->setText(2, QStringLiteral("no files filed"));
    model_->SetFilesFound(id, states);
  }
  ui_.verified->expandAll();
  ui_.verified->resizeColumnToContents(0);
  ui_.verified->show();
}
