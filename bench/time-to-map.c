/* Time from starting a program to its first top-level window being mapped, on the display in DISPLAY.
 *
 *   time-to-map RUNS program [arguments...]
 *
 * Each run starts the program, waits for a top-level window to be mapped (MapNotify on the root's
 * substructure, or MapRequest where a window manager redirects it), notes the time, and ends the
 * program with SIGTERM. Prints the median and the fastest run in milliseconds. */
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
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

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: time-to-map RUNS program [arguments...]\n");
    return 2;
  }
  int Runs = atoi(argv[1]);
  Display* Dpy = XOpenDisplay(NULL);
  if (!Dpy || Runs <= 0) return 2;
  XSelectInput(Dpy, DefaultRootWindow(Dpy), SubstructureNotifyMask);
  double* Times = calloc((size_t)Runs, sizeof *Times);
  for (int I = 0; I < Runs; ++I) {
    XSync(Dpy, True);
    double Start = Now();
    pid_t Child = fork();
    if (Child == 0) {
      execvp(argv[2], argv + 2);
      _exit(127);
    }
    for (;;) {
      XEvent Event;
      XNextEvent(Dpy, &Event);
      if (Event.type == MapNotify && !Event.xmap.override_redirect) break;
    }
    Times[I] = Now() - Start;
    kill(Child, SIGTERM);
    waitpid(Child, NULL, 0);
  }
  qsort(Times, (size_t)Runs, sizeof *Times, Compare);
  printf("%.1f %.1f\n", Times[Runs / 2], Times[0]);
  return 0;
}
