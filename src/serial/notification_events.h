#pragma once

#include <QEvent>
#include <QObject>
#include <QtGlobal>

#include <memory>

class TDeliveryTicket;

// Posted by a dispatch thread to a port's receiver on the main thread: Count
// bytes are available. The ticket tells the dispatch thread when the handler
// has returned.
class TAvailEvent : public QEvent {
public:
  TAvailEvent(int handle, quint64 dispatcherId, quint16 count,
              std::shared_ptr<TDeliveryTicket> ticket);
  static QEvent::Type EventType();

  const int handle;
  const quint64 dispatcherId;
  const quint16 count;
  const std::shared_ptr<TDeliveryTicket> ticket;
};

// Posted once when the device has gone away (far end hung up, adapter
// removed); the port closes itself on the main thread.
class TDeviceLostEvent : public QEvent {
public:
  TDeviceLostEvent(int handle, quint64 dispatcherId);
  static QEvent::Type EventType();

  const int handle;
  const quint64 dispatcherId;
};

// Posts a notification to its receiver on the main thread, and marks it
// received there. Qt's event queue hands the event over under a lock inside
// Qt; ThreadSanitizer, which sees no lock in uninstrumented Qt, would take
// the fields the dispatch thread wrote before posting as raced by the main
// thread reading them. Under ThreadSanitizer the pair tells it of the hand-
// over; otherwise they post and do nothing more.
void PostNotification(QObject* receiver, QEvent* event);
void NotificationReceived(const QEvent* event);
