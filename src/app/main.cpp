#include "app/program.h"
#include "app/qt_operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/termination_signals.h"
#include "app/veltrix_application.h"

int main(int argc, char** argv) {
  VeltrixApplication application(argc, argv);
  QtOperatorDialogs dialogs;
  application.SetDialogs(&dialogs);

  VeltrixProgram program(dialogs);
  dialogs.SetParentWindow(&program.MainWindow());
  CloseOnTerminationSignals(&program.MainWindow());
  program.ShowMainWindow();
  return application.exec();
}
