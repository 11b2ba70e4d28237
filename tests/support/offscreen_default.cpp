// Linked into every test executable: a test started by hand, outside CTest,
// runs on the offscreen platform as it does under CTest, unless the caller
// chose a platform.
#include <QByteArray>
#include <QtGlobal>

namespace {

void DefaultToOffscreen() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
}

}  // namespace

Q_CONSTRUCTOR_FUNCTION(DefaultToOffscreen)
