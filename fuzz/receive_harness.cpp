#include "receive_harness.h"

#include <QApplication>
#include <QByteArray>
#include <QEvent>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/operator_dialogs.h"
#include "app/qx7300main.h"

namespace {

// Boxes are answered at once: the receive path must never wait for one.
class SilentDialogs : public OperatorDialogs {
 public:
  void ShowMessage(const QString&) override {}
  void ShowWarning(const QString&) override {}
  void ShowInformation(const QString&) override {}
  void ShowNotice(const QString&) override {}
  bool Confirm(const QString&) override { return false; }
  void ShowError(const QString&) override {}
  std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
    return std::nullopt;
  }
  QString OpenFileName(const FileDialogOptions&) override { return {}; }
  QString SaveFileName(const FileDialogOptions&) override { return {}; }
  QString ExistingFolder(const FileDialogOptions&) override { return {}; }
  QPrinter& Printer() override { std::abort(); }
  bool Print() override { return false; }
  void PrinterSetup() override {}
  std::optional<FontChoice> ChooseFont(const FontChoice&, int, int) override { return std::nullopt; }
};

struct Harness {
  Harness() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "receive-harness";
    static char* argv[] = {name, nullptr};
    application = std::make_unique<QApplication>(argc, argv);
    window = std::make_unique<Tqx7300form>(dialogs);
    window->starttimer().stop();
    window->clocktimer().stop();
  }
  SilentDialogs dialogs;
  std::unique_ptr<QApplication> application;
  std::unique_ptr<Tqx7300form> window;
};

// A record every build of the receive path must read the same way: the
// common section padded in field 1 to its 107 characters, then a current
// waveform. A current waveform is only kept, not drawn: a drawn one cost
// every input a graph (the inputs draw their own voltage waveforms).
QByteArray GoodLine() {
  const QByteArray rest =
      ",U     ,7,1,V229.9,324.8,49.98,88,0,I812.5,1650,790.1,120.3,P180.2,190.0,0,A,180.2,75,";
  return '!' + QByteArray(106 - rest.size(), ' ') + rest + 'I' + QByteArray(301, '\x90') + '\n';
}

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "receive harness: %s\n", what);
  std::abort();
}

}  // namespace

void RunReceiveHarness(const std::uint8_t* data, std::size_t size) {
  static Harness harness;
  Tqx7300form& window = *harness.window;

  // The first byte sizes the notifications, so splits vary with the input.
  const std::size_t chunk = size == 0 ? 1 : 1 + data[0] % 97;
  std::size_t position = 0;
  const auto next = [&]() -> quint8 { return data[position++]; };
  while (position < size) {
    const std::size_t count = std::min(chunk, size - position);
    const std::size_t before = position;
    window.ConsumeReceived(static_cast<quint16>(count), next);
    // A handler that stopped early leaves its bytes for the next round.
    if (position == before) ++position;
  }

  static const QByteArray good = GoodLine();
  std::size_t goodPosition = 0;
  window.ConsumeReceived(static_cast<quint16>(good.size()),
                         [&]() -> quint8 { return static_cast<quint8>(good[goodPosition++]); });
  Check(goodPosition == static_cast<std::size_t>(good.size()), "good line not read whole");
  Check(window.Fields().StatusCode == QStringLiteral("U     "), "status code");
  Check(window.Fields().CurrentRangeCode == QStringLiteral("7"), "current range");
  Check(window.Fields().VoltsRms == QStringLiteral("229.9"), "supply voltage");
  Check(window.Fields().Watts == QStringLiteral("180.2"), "load power");
  Check(window.Document().Samples().CurrentSamples[300] == 0x90, "current samples");
  Check(window.Document().Framer().RxLine().isEmpty(), "line left behind");

  // What the input made the window post (queued calls, show and hide and
  // child notifications of the panels, deferred deletes) is delivered now,
  // as the event loop would between notifications. Left queued, it piled up
  // from input to input (some 5 events an input), every input ended with
  // more allocations than frees so that libFuzzer ran a full leak scan of the
  // growing heap after it, and the resident memory kept climbing.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
