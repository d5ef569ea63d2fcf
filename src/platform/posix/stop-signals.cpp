// The signals that end the program, caught into a self-pipe while a box is up; ignored ones stay ignored.
#include "platform/posix/stop-signals.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

namespace platform {
namespace {

// Every signal whose default action ends the program, but the faults (SIGSEGV, SIGBUS, SIGFPE,
// SIGILL, SIGTRAP), after which the code that faulted cannot go on to a loop, and SIGPIPE, which
// askbox ignores from the start so that a write to a closed pipe fails instead.
const int ENDING[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGUSR1,   SIGUSR2, SIGALRM,   SIGVTALRM,
                      SIGPROF, SIGXCPU, SIGXFSZ, SIGPOLL, SIGPWR,    SIGSYS,  SIGSTKFLT, SIGABRT};

// Each of them in turn, the real-time ones last.
template <typename Visit>
void ForEachEnding(Visit V) {
  for (int Number : ENDING) V(Number);
  for (int Number = SIGRTMIN; Number <= SIGRTMAX; ++Number) V(Number);
}

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
  for (bool& Caught : Signals->Caught) Caught = false;
  ForEachEnding([&](int Number) {
    struct sigaction& Previous = Signals->Previous[Number];
    if (sigaction(Number, nullptr, &Previous) != 0) return;
    if (!(Previous.sa_flags & SA_SIGINFO) && Previous.sa_handler == SIG_IGN) return;
    Signals->Caught[Number] = sigaction(Number, &Action, nullptr) == 0;
  });
  return true;
}

int CaughtStopSignal(StopSignals* Signals) {
  unsigned char Number;
  return read(Signals->Pipe[0], &Number, 1) == 1 ? Number : 0;
}

void AddStopSignals(sigset_t* Set) {
  ForEachEnding([Set](int Number) { sigaddset(Set, Number); });
}

void ReleaseStopSignals(StopSignals* Signals) {
  ForEachEnding([Signals](int Number) {
    if (Signals->Caught[Number]) sigaction(Number, &Signals->Previous[Number], nullptr);
  });
  WritingEnd = -1;
  close(Signals->Pipe[0]);
  close(Signals->Pipe[1]);
}

bool StartThreadWithoutSignals(pthread_t* Thread, void* (*Body)(void*), void* Context) {
  sigset_t All, Before;
  sigfillset(&All);
  pthread_sigmask(SIG_BLOCK, &All, &Before);
  bool Started = pthread_create(Thread, nullptr, Body, Context) == 0;
  pthread_sigmask(SIG_SETMASK, &Before, nullptr);
  return Started;
}

}  // namespace platform
