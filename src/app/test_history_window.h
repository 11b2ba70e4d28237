#pragma once

#include <QSqlDatabase>
#include <QTimer>
#include <QWidget>

#include "persist/settings_file.h"

class ArchiveModel;
class ArchivedReportView;
class OperatorDialogs;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTableView;
class QTreeWidget;
class RecordingReview;

// "Test History...": the station's archive of tests, newest first, with a
// search by equipment, serial number, tester and any text, filters by
// standard, verdict, dates and station, and a sort by any column, all done
// by the database. An entry's report is previewed, its recording reviewed,
// and its files checked against what was filed. The window asks nothing
// of the live window, which goes on beside it.
class TestHistoryWindow : public QWidget {
  Q_OBJECT

 public:
  // A search waits this long after the last key before it is made.
  static constexpr int kSearchDelayMs = 300;

  // The controls, for the window's own use and for tests.
  struct Controls {
    QLineEdit* equipment = nullptr;
    QLineEdit* serialNumber = nullptr;
    QLineEdit* testedBy = nullptr;
    QLineEdit* freeText = nullptr;
    QComboBox* standard = nullptr;
    QComboBox* verdict = nullptr;
    QCheckBox* fromOn = nullptr;
    QDateEdit* from = nullptr;
    QCheckBox* toOn = nullptr;
    QDateEdit* to = nullptr;
    QComboBox* station = nullptr;
    QTableView* table = nullptr;
    QLabel* message = nullptr;  // in the table's place when there is nothing to list
    QLabel* count = nullptr;
    QPushButton* preview = nullptr;
    QPushButton* recording = nullptr;
    QPushButton* verify = nullptr;
    QPushButton* refresh = nullptr;
    QTreeWidget* verified = nullptr;
  };

  // The archive at `archivePath` is opened, not made: a station that has
  // filed nothing has no archive yet.
  TestHistoryWindow(OperatorDialogs& dialogs, const QString& archivePath, const PrinterFontValues& printerFont,
                    QWidget* parent = nullptr);
  ~TestHistoryWindow() override;

  const Controls& Ui() const { return ui_; }
  // Null while there is no archive to list.
  ArchiveModel* Model() { return model_; }
  void SetPrinterFont(const PrinterFontValues& printerFont) { printerFont_ = printerFont; }
  // A lab's server: the whole lab's tests are listed from it, and this
  // station's own archive only while it cannot be reached. Taken at the
  // next Refresh.
  void SetLabServer(const ArchiveServer& server, const QString& password) {
    labServer_ = server;
    labPassword_ = password;
  }

  // The search and filters as the controls have them, at once.
  void ApplySearch();
  // The archive read again: a first archive opened, what was filed since
  // listed.
  void Refresh();
  // The report of the current entry, in the report view; null when it
  // could not be shown (the operator is told why).
  ArchivedReportView* PreviewReport();
  // The recording of the current entry, in a review of its own; null when
  // there is none to review (the operator is told why).
  RecordingReview* OpenRecording();
  // Every file of the selected entries checked against what was filed; the
  // list marks the entries, the pane below it names each file's state.
  void VerifyFiles();

 private:
  void BuildControls();
  void OpenArchive();
  void CloseArchive();
  void ShowMessage(const QString& text);
  void ShowListing();
  void FillStations();
  void UpdateButtons();
  int CurrentRow() const;

  OperatorDialogs& dialogs_;
  QString archivePath_;
  ArchiveServer labServer_;
  QString labPassword_;
  // Which archive is listed, after the count; empty for the station's own
  // when there is no lab server.
  QString source_;
  bool onServer_ = false;
  QString connection_;
  PrinterFontValues printerFont_;
  QSqlDatabase db_;
  ArchiveModel* model_ = nullptr;
  Controls ui_;
  QStackedWidget* pages_ = nullptr;
  QTimer searchDelay_;
  ArchivedReportView* reportView_ = nullptr;
};
