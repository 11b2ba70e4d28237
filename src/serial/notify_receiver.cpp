#include "serial/notify_receiver.h"

#include "serial/base_dispatcher.h"
#include "serial/delivery_ticket.h"
#include "serial/dispatcher_list.h"
#include "serial/notification_events.h"
#include "serial/serial_port.h"

namespace {

// The port a notification is for; nullptr when its dispatcher is gone (the
// handle may belong to a newer dispatcher by now).
TCustomSerialPort* PortFor(int handle, quint64 dispatcherId) {
  TBaseDispatcher* dispatcher = TDispatcherList::Find(handle);
  if (!dispatcher || dispatcher->Id() != dispatcherId)
    return nullptr;
  return dispatcher->Owner();
}

}  // namespace

TNotifyReceiver::TNotifyReceiver(QObject* parent) : QObject(parent) {}

bool TNotifyReceiver::event(QEvent* event) {
  NotificationReceived(event);
  if (event->type() == TAvailEvent::EventType()) {
    auto* avail = static_cast<TAvailEvent*>(event);
    // A notification whose dispatch thread has stopped waiting is stale.
    if (!avail->ticket->Begin())
      return true;
    TCustomSerialPort* port = PortFor(avail->handle, avail->dispatcherId);
    if (!port) {
      avail->ticket->Finish();
      return true;
    }
    port->HandleAvail(avail->count, *avail->ticket);
    return true;
  }
  if (event->type() == TDeviceLostEvent::EventType()) {
    auto* lost = static_cast<TDeviceLostEvent*>(event);
    if (TCustomSerialPort* port = PortFor(lost->handle, lost->dispatcherId))
      port->HandleDeviceLost(lost->dispatcherId);
    return true;
  }
  return QObject::event(event);
}
