#pragma once

#include <QObject>

// The main thread's receiver of a port's notifications. Dispatch threads post
// to it; it finds the port by the dispatcher handle the notification carries
// and lets the port raise its event.
class TNotifyReceiver : public QObject {
  Q_OBJECT
public:
  explicit TNotifyReceiver(QObject* parent = nullptr);

protected:
  bool event(QEvent* event) override;
};
