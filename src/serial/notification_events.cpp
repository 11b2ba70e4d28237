#include "serial/notification_events.h"

#include <utility>

TAvailEvent::TAvailEvent(int handle, quint64 dispatcherId, quint16 count,
                         std::shared_ptr<TDeliveryTicket> ticket)
    : QEvent(EventType()),
      handle(handle),
      dispatcherId(dispatcherId),
      count(count),
      ticket(std::move(ticket)) {}

QEvent::Type TAvailEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

TDeviceLostEvent::TDeviceLostEvent(int handle, quint64 dispatcherId)
    : QEvent(EventType()), handle(handle), dispatcherId(dispatcherId) {}

QEvent::Type TDeviceLostEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}
