// The signals that end the program, caught into a self-pipe while a box is up; ignored ones stay ignored.
#include "platform/posix/stop-signals.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

namespace platform {
namespace {

const int STOP_SIGNALS[STOP_SIGNAL_COUNT] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// What the handler reaches: one box is up at a time.
int WritingEnd = -1;

void OnStopSignal(int Number) {
  int Saved = errno;
  unsigned char Byte = static_cast<unsigned char>(Number);
  ssize_t Ignored = write(WritingEnd, &Byte, 1);
  (void)Ignored;
  errno = Saved;
}

}  // namespace

bool CatchStopSignals(StopSignals* Signals) {
  if (pipe2(Signals->Pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  WritingEnd = Signals->Pipe[1];
  struct sigaction Action;
  memset(&Action, 0, sizeof Action);
  Action.sa_handler = OnStopSignal;
  for (int I = 0; I < STOP_SIGNAL_COUNT; ++I) {
    struct sigaction& Previous = Signals->Previous[I];
    Signals->Caught[I] = false;
    if (sigaction(STOP_SIGNALS[I], nullptr, &Previous) != 0) continue;
    if (!(Previous.sa_flags & SA_SIGINFO) && Previous.sa_handler == SIG_IGN) continue;
    Signals->Caught[I] = sigaction(STOP_SIGNALS[I], &Action, nullptr) == 0;
  }
  return true;
}

int CaughtStopSignal(StopSignals* Signals) {
  unsigned char Number;
  return read(Signals->Pipe[0], &Number, 1) == 1 ? Number : 0;
}

void AddStopSignals(sigset_t* Set) {
  for (int Number : STOP_SIGNALS) sigaddset(Set, Number);
}

void ReleaseStopSignals(StopSignals* Signals) {
  for (int I = 0; I < STOP_SIGNAL_COUNT; ++I)
    if (Signals->Caught[I]) sigaction(STOP_SIGNALS[I], &Signals->Previous[I], nullptr);
  WritingEnd = -1;
  close(Signals->Pipe[0]);
  close(Signals->Pipe[1]);
}

}  // namespace platform
