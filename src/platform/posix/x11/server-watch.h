// A watch on the X connection from a thread of its own: a server that stops answering holds the box no longer than its time.
#ifndef ASKBOX_PLATFORM_POSIX_X11_SERVER_WATCH_H
#define ASKBOX_PLATFORM_POSIX_X11_SERVER_WATCH_H

#include <pthread.h>
#include <stdint.h>

namespace platform {

// Xlib waits for a reply without a time limit, and no signal ends that wait: the signal's handler
// only writes to the stop pipe, which the box reads when Xlib gives it back. The watch shuts the
// connection's socket down once the box is past its time, or a while after a stop signal came,
// so that the wait ends in the connection's loss, which the box survives. A box that ends in
// time stops the watch before it ever acts.
struct ServerWatch {
  pthread_t Thread;
  int Orders[2];  // the box's cut times to the thread, which ends when the writing end closes
  int Connection;
  int StopFd;
  bool Running;
};

// Starts watching Connection; StopFd is the stop signals' pipe, which is only looked at, never read.
bool StartServerWatch(ServerWatch* Watch, int Connection, int StopFd);
// The connection is cut at AtMs on the monotonic clock (NowMs) unless the watch is stopped or
// told another time first; -1 for never. A stop signal seen brings it to SERVER_GRACE_MS from then.
void CutServerAt(ServerWatch* Watch, int64_t AtMs);
void StopServerWatch(ServerWatch* Watch);

// How long the box has to end on its own after its time is up or a stop signal came.
const int SERVER_GRACE_MS = 300;

}  // namespace platform

#endif
