#pragma once

#include <QApplication>

class OperatorDialogs;

// The application object. An error that escapes an event reaction is caught
// here, in the one place where every event passes, and shown in the default
// error box with its text; the program then carries on with the next event.
class VeltrixApplication : public QApplication {
  Q_OBJECT

 public:
  VeltrixApplication(int& argc, char** argv);

  // The box the escaped errors go to; without one they are written to stderr.
  void SetDialogs(OperatorDialogs* dialogs) { dialogs_ = dialogs; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void ShowEscapedError(const QString& text);

  OperatorDialogs* dialogs_ = nullptr;
};

// The application title shown in the task bar and on the program's boxes.
inline constexpr const char* kApplicationTitle = "Veltrix V1.0";
