// The signals that end the program, caught into a pipe while a box is up, so the box is left through its loop.
#ifndef ASKBOX_PLATFORM_POSIX_STOP_SIGNALS_H
#define ASKBOX_PLATFORM_POSIX_STOP_SIGNALS_H

#include <pthread.h>
#include <signal.h>

namespace platform {

// The signals that end the program by default and come from outside: SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGUSR1, SIGALRM, the real-time ones and the rest. While caught, each of them writes its
// number to a pipe instead of ending the program; a signal the caller ignores (nohup, a background
// job) stays ignored. The caller's own handlers may write other signals' numbers to Pipe[1], so
// that one poll wakes for all of them.
struct StopSignals {
  int Pipe[2];
  struct sigaction Previous[NSIG];  // by signal number
  bool Caught[NSIG];
};

// False, with nothing caught, where no pipe can be had.
bool CatchStopSignals(StopSignals* Signals);
// The descriptor to poll for a caught signal.
inline int StopSignalFd(const StopSignals& Signals) { return Signals.Pipe[0]; }
// The signal caught since, 0 for none.
int CaughtStopSignal(StopSignals* Signals);
// These signals added to Set, for a caller that must hold them off for a while.
void AddStopSignals(sigset_t* Set);
// The caller's handlers back, and the pipe closed.
void ReleaseStopSignals(StopSignals* Signals);

// Starts a thread that takes no signal, so that every signal stays the box's to handle; false
// where no thread could be started.
bool StartThreadWithoutSignals(pthread_t* Thread, void* (*Body)(void*), void* Context);

}  // namespace platform

#endif
