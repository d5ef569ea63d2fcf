/* Time from starting a program to its first top-level window being mapped, on the display in DISPLAY.
 *
 *   time-to-map RUNS program [arguments...] [-- program [arguments...]]...
 *
 * Each run starts the program, waits for a top-level window (or a window manager's frame) to be
 * mapped (MapNotify on the root's substructure), notes the time, and ends the program with SIGTERM.
 * Several programs, separated by "--", take turns run by run, so that what else the machine does
 * falls on all of them alike. Prints a line for each: the median and the fastest run in milliseconds. */
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
  struct timespec T;
  clock_gettime(CLOCK_MONOTONIC, &T);
  return T.tv_sec * 1e3 + T.tv_nsec / 1e6;
}

static int Compare(const void* A, const void* B) {
  double X = *(const double*)A, Y = *(const double*)B;
  return X < Y ? -1 : X > Y;
}

static double TimeOne(Display* Dpy, char** Command) {
  XSync(Dpy, True);
  double Start = Now();
  pid_t Child = fork();
  if (Child == 0) {
    execvp(Command[0], Command);
    _exit(127);
  }
  for (;;) {
    XEvent Event;
    XNextEvent(Dpy, &Event);
    if (Event.type == MapNotify && !Event.xmap.override_redirect) break;
  }
  double Took = Now() - Start;
  kill(Child, SIGTERM);
  waitpid(Child, NULL, 0);
  return Took;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: time-to-map RUNS program [arguments...] [-- program [arguments...]]...\n");
    return 2;
  }
  int Runs = atoi(argv[1]);
  Display* Dpy = XOpenDisplay(NULL);
  if (!Dpy || Runs <= 0) return 2;
  XSelectInput(Dpy, DefaultRootWindow(Dpy), SubstructureNotifyMask);
  /* The commands, each ended by the "--" that follows it, made its NULL. */
  char** Commands[16];
  int Count = 0;
  Commands[Count++] = argv + 2;
  for (int I = 2; I < argc && Count < 16; ++I)
    if (strcmp(argv[I], "--") == 0) {
      argv[I] = NULL;
      if (I + 1 < argc) Commands[Count++] = argv + I + 1;
    }
  double* Times = calloc((size_t)(Runs * Count), sizeof *Times);
  for (int I = 0; I < Runs; ++I)
    for (int C = 0; C < Count; ++C) Times[C * Runs + I] = TimeOne(Dpy, Commands[C]);
  for (int C = 0; C < Count; ++C) {
    qsort(Times + C * Runs, (size_t)Runs, sizeof *Times, Compare);
    printf("%.1f %.1f\n", Times[C * Runs + Runs / 2], Times[C * Runs]);
  }
  return 0;
}
