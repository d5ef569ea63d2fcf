// The X connection's watch: a thread that cuts the connection of a box held past its time or a stop signal.
#include "platform/posix/x11/server-watch.h"

#include "platform/posix/stop-signals.h"
#include "platform/posix/time-limit.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

void* Watch(void* Context) {
  ServerWatch* W = static_cast<ServerWatch*>(Context);
  int64_t CutAt = -1;
  // Once a signal is seen its pipe is left alone: it stays readable until the box reads it.
  bool SignalSeen = false;
  for (;;) {
    int Wait = -1;
    if (CutAt >= 0) {
      // poll counts in an int of milliseconds; a time limit of days is waited for a minute at a time.
      int64_t Left = CutAt - NowMs();
      Wait = Left <= 0 ? 0 : Left > 60000 ? 60000 : static_cast<int>(Left);
    }
    pollfd Fds[2] = {{W->Orders[0], POLLIN, 0}, {SignalSeen ? -1 : W->StopFd, POLLIN, 0}};
    int Ready = poll(Fds, 2, Wait);
    if (Ready < 0 && errno != EINTR) return nullptr;
    if (Fds[0].revents != 0) {
      int64_t Order;
      ssize_t Got = read(W->Orders[0], &Order, sizeof Order);
      if (Got == 0 || (Got < 0 && errno != EAGAIN && errno != EINTR)) return nullptr;  // stopped
      if (Got == sizeof Order) CutAt = Order;
      continue;
    }
    if (Fds[1].revents != 0) {
      SignalSeen = true;
      int64_t Soon = NowMs() + SERVER_GRACE_MS;
      if (CutAt < 0 || Soon < CutAt) CutAt = Soon;
      continue;
    }
    if (CutAt >= 0 && NowMs() >= CutAt) {
      // Whatever waits on the socket now reads its end; the box's display is lost, as when the
      // server goes away, and nothing is sent over the connection after this.
      shutdown(W->Connection, SHUT_RDWR);
      return nullptr;
    }
  }
}

}  // namespace

bool StartServerWatch(ServerWatch* W, int Connection, int StopFd) {
  W->Running = false;
  W->Connection = Connection;
  W->StopFd = StopFd;
  if (pipe2(W->Orders, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  W->Running = StartThreadWithoutSignals(&W->Thread, Watch, W);
  if (!W->Running) {
    close(W->Orders[0]);
    close(W->Orders[1]);
  }
  return W->Running;
}

void CutServerAt(ServerWatch* W, int64_t AtMs) {
  if (!W->Running) return;
  ssize_t Ignored = write(W->Orders[1], &AtMs, sizeof AtMs);  // a pipe writes eight bytes whole
  (void)Ignored;
}

void StopServerWatch(ServerWatch* W) {
  if (!W->Running) return;
  close(W->Orders[1]);
  pthread_join(W->Thread, nullptr);
  close(W->Orders[0]);
  W->Running = false;
}

}  // namespace platform
