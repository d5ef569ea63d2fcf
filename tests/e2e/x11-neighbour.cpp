// Test helper: another client on the box's display that floods it with events, or watches what it asks the window manager.
//
//   x11-neighbour requests WINDOW MS   synthetic SelectionRequests sent to WINDOW for MS milliseconds
//   x11-neighbour converts MS          real requests for CLIPBOARD, whoever owns it, for MS milliseconds
//   x11-neighbour state WINDOW MS      WINDOW unmapped, then its _NET_WM_STATE changed for MS milliseconds
//   x11-neighbour activations WINDOW MS  counts the requests, as the user's, to activate WINDOW in MS milliseconds
//   x11-neighbour grab WINDOW MS       the server grabbed, WINDOW unmapped, and nobody else served for MS milliseconds
//   x11-neighbour console MS COMMAND...  a terminal's window, titled "Late Console", that COMMAND is started in
//                                      MS milliseconds before the window is mapped; ends as COMMAND does
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

Display* Dpy;
Window Self;

Atom Named(const char* Name) { return XInternAtom(Dpy, Name, False); }

long long NowMs() {
  timespec Now;
  clock_gettime(CLOCK_MONOTONIC, &Now);
  return Now.tv_sec * 1000LL + Now.tv_nsec / 1000000;
}

// Calls Send in bursts until Ms have passed; gives how many it sent.
template <typename Sender>
long Flood(long Ms, Sender Send) {
  long long End = NowMs() + Ms;
  long Sent = 0;
  while (NowMs() < End) {
    for (int I = 0; I < 500; ++I, ++Sent) Send(Sent);
    XFlush(Dpy);
  }
  XSync(Dpy, False);
  return Sent;
}

// The box it floods goes away when its time is up; that is no fault of the flood's.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

int Usage() {
  fprintf(stderr, "usage: x11-neighbour requests WINDOW MS | converts MS | state WINDOW MS | activations WINDOW MS |"
                  " grab WINDOW MS | console MS COMMAND...\n");
  return 2;
}

// Requests to activate a window go to the root as client messages, where a client that selects
// substructure changes sees them too.
long Activations(Window Target, long Ms) {
  XSelectInput(Dpy, DefaultRootWindow(Dpy), SubstructureNotifyMask);
  XSync(Dpy, False);
  printf("ready\n");
  fflush(stdout);
  long long End = NowMs() + Ms;
  long Seen = 0;
  while (NowMs() < End) {
    while (XPending(Dpy) > 0) {
      XEvent Event;
      XNextEvent(Dpy, &Event);
      const XClientMessageEvent& Message = Event.xclient;
      if (Event.type == ClientMessage && Message.message_type == Named("_NET_ACTIVE_WINDOW") &&
          Message.window == Target && Message.data.l[0] == 2)
        ++Seen;
    }
    usleep(10000);
  }
  return Seen;
}

// As a terminal emulator started with a command may do: the command runs before the window is
// mapped, let alone taken on by the window manager. The window says which process made it, as
// the box wants of a console.
int LateConsole(long Ms, char** Command) {
  Window Console = XCreateSimpleWindow(Dpy, DefaultRootWindow(Dpy), 0, 0, 300, 100, 0, 0, 0);
  char Name[] = "Late Console", Class[] = "LateConsole", Instance[] = "late-console";
  XClassHint Hint = {Instance, Class};
  XSetClassHint(Dpy, Console, &Hint);
  XStoreName(Dpy, Console, Name);
  char Host[256] = "";
  gethostname(Host, sizeof Host - 1);
  XChangeProperty(Dpy, Console, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<unsigned char*>(Host), static_cast<int>(strlen(Host)));
  long Pid = getpid();
  XChangeProperty(Dpy, Console, Named("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&Pid), 1);
  XSync(Dpy, False);
  char Id[32];
  snprintf(Id, sizeof Id, "%lu", Console);
  setenv("WINDOWID", Id, 1);
  pid_t Child = fork();
  if (Child == 0) {
    execvp(Command[0], Command);
    _exit(127);
  }
  usleep(static_cast<useconds_t>(Ms) * 1000);
  XMapWindow(Dpy, Console);
  XSync(Dpy, False);
  int Ended = 0;
  waitpid(Child, &Ended, 0);
  return WIFEXITED(Ended) ? WEXITSTATUS(Ended) : 128;
}

}  // namespace

int main(int Count, char** Arguments) {
  if (Count < 2) return Usage();
  Dpy = XOpenDisplay(nullptr);
  if (Dpy == nullptr) return 1;
  XSetErrorHandler(IgnoreError);
  Self = XCreateSimpleWindow(Dpy, DefaultRootWindow(Dpy), 0, 0, 1, 1, 0, 0, 0);
  const char* Mode = Arguments[1];
  long Sent = 0;
  if (strcmp(Mode, "requests") == 0 && Count == 4) {
    Window Target = strtoul(Arguments[2], nullptr, 0);
    XEvent Event;
    memset(&Event, 0, sizeof Event);
    Event.xselectionrequest.type = SelectionRequest;
    Event.xselectionrequest.owner = Target;
    Event.xselectionrequest.requestor = Self;
    Event.xselectionrequest.selection = Named("CLIPBOARD");
    Event.xselectionrequest.target = Named("UTF8_STRING");
    Event.xselectionrequest.property = Named("NEIGHBOUR");
    Event.xselectionrequest.time = CurrentTime;
    Sent = Flood(atol(Arguments[3]), [&](long) { XSendEvent(Dpy, Target, False, NoEventMask, &Event); });
  } else if (strcmp(Mode, "converts") == 0 && Count == 3) {
    Atom Clipboard = Named("CLIPBOARD"), Utf8 = Named("UTF8_STRING"), Property = Named("NEIGHBOUR");
    Sent = Flood(atol(Arguments[2]), [&](long) { XConvertSelection(Dpy, Clipboard, Utf8, Property, Self, CurrentTime); });
  } else if (strcmp(Mode, "activations") == 0 && Count == 4) {
    Sent = Activations(strtoul(Arguments[2], nullptr, 0), atol(Arguments[3]));
  } else if (strcmp(Mode, "state") == 0 && Count == 4) {
    Window Target = strtoul(Arguments[2], nullptr, 0);
    XUnmapWindow(Dpy, Target);
    Atom State = Named("_NET_WM_STATE"), States[2] = {Named("_NET_WM_STATE_ABOVE"), Named("_NET_WM_STATE_BELOW")};
    Sent = Flood(atol(Arguments[3]), [&](long N) {
      XChangeProperty(Dpy, Target, State, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(&States[N % 2]), 1);
    });
  } else if (strcmp(Mode, "grab") == 0 && Count == 4) {
    // The unmap makes the box ask the server whether it was minimised, and that waits out the grab.
    XGrabServer(Dpy);
    XUnmapWindow(Dpy, strtoul(Arguments[2], nullptr, 0));
    XSync(Dpy, False);
    usleep(static_cast<useconds_t>(atol(Arguments[3])) * 1000);
    XUngrabServer(Dpy);
    XSync(Dpy, False);
  } else if (strcmp(Mode, "console") == 0 && Count >= 4) {
    return LateConsole(atol(Arguments[2]), Arguments + 3);
  } else {
    return Usage();
  }
  printf("%ld\n", Sent);
  return 0;
}
