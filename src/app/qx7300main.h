#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include "app/shell_state.h"
#include "control/test_state.h"
#include "display/graph_state.h"
#include "link/record_fields.h"

namespace Ui {
class Tqx7300form;
}

class OperatorDialogs;
class Tsplashform;
class Tmsgform;
class TAboutBox;
class TConnectform;
class Tpreviewform;
class Tcomfaultform;

// The main window: owns the controls, the timers and the state of every
// subsystem, and reacts to the operator, to received data and to its timers.
class Tqx7300form : public QMainWindow {
  Q_OBJECT

 public:
  // Client area of the window, below the menu bar.
  static constexpr int kClientWidth = 1010;
  static constexpr int kClientHeight = 680;

  explicit Tqx7300form(OperatorDialogs& dialogs, QWidget* parent = nullptr);
  ~Tqx7300form() override;

  // The other windows of the program; the main window shows them and keeps
  // the values they show.
  struct Companions {
    Tsplashform* splash = nullptr;
    Tmsgform* msgform = nullptr;
    TAboutBox* aboutBox = nullptr;
    TConnectform* connectform = nullptr;
    Tpreviewform* previewform = nullptr;
    Tcomfaultform* comfaultform = nullptr;
  };
  void SetCompanions(const Companions& companions);

  Ui::Tqx7300form& Form() { return *ui; }
  ShellState& Shell() { return shell_; }
  RecordFields& Fields() { return fields_; }
  GraphState& Graph() { return graph_; }
  TestState& Test() { return test_; }
  QTimer& starttimer() { return starttimer_; }
  QTimer& clocktimer() { return clocktimer_; }
  QTimer& Comstimer() { return Comstimer_; }

  // --- shell -------------------------------------------------------------
  void UpdateClock();
  // Two seconds after the window appears: brings the program up.
  void starttimerTimer();
  // Every time the window becomes the active window.
  void FormActivate();
  // Closes the splash and lets the link watchdog speak.
  void AcceptSplash();
  // Asked before the window closes; returns whether it may close.
  bool FormCloseQuery();
  void ShowAboutBox();

 signals:
  // The window has closed for good; the program ends.
  void Closed();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ApplyDesignAppearance();
  void ConfigureDisplayGrids();
  void ConnectMenu();
  void SetMeterPanelColour(const QColor& colour);

  Ui::Tqx7300form* ui;
  OperatorDialogs& dialogs_;
  Companions companions_;

  ShellState shell_;
  RecordFields fields_;
  GraphState graph_;
  TestState test_;

  QTimer starttimer_;
  QTimer clocktimer_;
  QTimer Comstimer_;
};
