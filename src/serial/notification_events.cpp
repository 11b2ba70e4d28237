#include "serial/notification_events.h"

#include <QCoreApplication>

#include <utility>

#if defined(__SANITIZE_THREAD__)
#define VELTRIX_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELTRIX_THREAD_SANITIZER 1
#endif
#endif
#ifdef VELTRIX_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

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

void PostNotification(QObject* receiver, QEvent* event) {
#ifdef VELTRIX_THREAD_SANITIZER
  __tsan_release(event);
#endif
  QCoreApplication::postEvent(receiver, event);
}

void NotificationReceived([[maybe_unused]] const QEvent* event) {
#ifdef VELTRIX_THREAD_SANITIZER
  __tsan_acquire(const_cast<QEvent*>(event));
#endif
}
