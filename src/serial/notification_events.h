#pragma once

#include <QEvent>
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
