#pragma once

#include <QSqlDatabase>
#include <QString>

// A station with a lab's server files every test into its own archive
// first, and queues it there for the server; what is queued is sent when
// the server can be reached, and taken off the queue only once the server
// has committed it. Sending is idempotent: the server knows a test by its
// identity, so an entry sent again (the server committed, the station never
// heard) updates the one there instead of filing a second.

// Queues the station's entry `uid` for the server, in the caller's
// transaction (the one that filed it): its files' bytes are kept with it
// until the server has them, read now from the files just saved. An entry
// queued already stays queued once. Empty on success, else why not.
QString QueueForServer(QSqlDatabase& station, const QString& uid);

struct SyncOutcome {
  int sent = 0;   // entries the server committed and the queue let go
  int left = 0;   // entries still queued
  QString error;  // why sending stopped; empty when all went
};

// Sends the queued entries, oldest first, each in one transaction on the
// server. Stops at the first failure (the server gone again), which the
// entry's queue row records with its attempts.
SyncOutcome SendQueued(QSqlDatabase& station, QSqlDatabase& server);

// How many entries wait for the server.
int QueuedCount(QSqlDatabase& station);
