#pragma once

#include <QByteArray>

#include <chrono>
#include <memory>

#include "support/pty_analyser.h"
#include "support/scripted_operator_dialogs.h"

class Tcomfaultform;
class TConnectform;
class Tpreviewform;
class Tqx7300form;
namespace Ui {
class Tqx7300form;
}

// The window-level rig: an analyser on a pseudo-terminal published as
// COM<n> in a fresh working folder made current, scripted operator dialogs,
// and the main window with its start timer stopped, as tests need it.
class TWindowRig {
 public:
  struct Options {
    int comNumber = 3;
    // The window is given the port number; with openPort the port is opened
    // too, as a successful start-up leaves it.
    bool giveNumber = true;
    bool openPort = true;
    // As the window is after start-up: a change of standard takes effect,
    // and the link watchdog may speak.
    bool startupComplete = true;
    bool linkFaultsShown = false;
    // The no-response and Settings dialogs as the window's companions.
    bool linkDialogs = false;
    // The report preview as the window's companion.
    bool preview = false;
    // The mark bitmaps in the working folder, which start-up loads.
    bool markBitmaps = false;
    bool show = true;
    // Dialogs the test keeps itself; the rig's own otherwise.
    ScriptedOperatorDialogs* dialogs = nullptr;
  };

  TWindowRig();
  explicit TWindowRig(const Options& options);
  ~TWindowRig();
  TWindowRig(const TWindowRig&) = delete;
  TWindowRig& operator=(const TWindowRig&) = delete;

  // The analyser's line is linked and the window exists.
  bool Ready() const;

  Tqx7300form& Window() { return *window_; }
  Ui::Tqx7300form& Ui();
  ScriptedOperatorDialogs& Dialogs() { return *dialogs_; }
  TLinkedAnalyser& Analyser() { return *analyser_; }
  Tcomfaultform* Comfault() { return comfault_.get(); }
  TConnectform* Settings() { return settings_.get(); }
  Tpreviewform* Preview() { return preview_.get(); }
  QString FilePath(const QString& name) const;

  // What the analyser receives within `within` (at most `limit` bytes): the
  // commands sent so far, since each waits its tick before returning.
  QByteArray Sent(std::chrono::milliseconds within = std::chrono::milliseconds(150), int limit = 1 << 16);

  // "Measurement" set to `standard` and the window prepared for it as
  // Retry prepares it; what that sent is drained.
  void Select(int standard);

 private:
  std::unique_ptr<TLinkedAnalyser> analyser_;
  std::unique_ptr<ScriptedOperatorDialogs> ownDialogs_;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  std::unique_ptr<Tcomfaultform> comfault_;
  std::unique_ptr<TConnectform> settings_;
  std::unique_ptr<Tpreviewform> preview_;
  std::unique_ptr<Tqx7300form> window_;
};
