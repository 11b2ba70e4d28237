#include "app/veltrix_application.h"

#include <QDebug>

#include <exception>
#include <new>

#include "app/operator_dialogs.h"

VeltrixApplication::VeltrixApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // No display name: Qt would append it to every window's caption.
  setApplicationName(QStringLiteral("Veltrix"));
}

bool VeltrixApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    ShowEscapedError(QStringLiteral("Out of memory"));
  } catch (const std::exception& error) {
    ShowEscapedError(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    ShowEscapedError(QStringLiteral("Unknown error"));
  }
  // The event counts as handled: the reaction ended at the error.
  return true;
}

void VeltrixApplication::ShowEscapedError(const QString& text) {
  if (dialogs_ == nullptr) {
    qWarning().noquote() << text;
    return;
  }
  // The box itself runs a nested event loop; an error escaping a reaction
  // inside it comes back here and gets its own box.
  dialogs_->ShowError(text);
}
