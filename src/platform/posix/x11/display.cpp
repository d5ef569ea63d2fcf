// The X display: connecting with a bounded wait, X errors recorded, a broken connection survived, WINDOWID followed.
#include "platform/posix/x11/display.h"

#include "platform/decimal.h"
#include "platform/posix/codeset.h"
#include "platform/posix/process.h"
#include "platform/posix/x11/library.h"
#include "platform/posix/x11/properties.h"

#include <X11/Xatom.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <poll.h>
#include <setjmp.h>
#include <stdlib.h>
#include <string.h>
#include <signal.h>
#include <unistd.h>

namespace platform {
namespace {

const int CONNECT_WAIT_MS = 3000;
const int MAX_ANCESTORS = 64;
const int MANAGED_WAIT_MS = 1000;
const int MANAGED_POLL_MS = 20;
const unsigned long MOST_NOTES = 4096;  // Xlib's notes of requests sent (X11NotesPileUp), 32 bytes each

Display* Dpy;
xcb_connection_t* Connection;  // where XCB reads the events; null where Xlib's queue does
xcb_generic_event_t* Ahead;  // read from XCB's queue to see whether one was there, not yet handled
bool Tried;
bool Lost;
int X11ErrorCode;
sigjmp_buf* Recovery;

int OnError(Display*, XErrorEvent* Event) {
  X11ErrorCode = Event->error_code;
  return 0;
}

// Xlib ends the process when this returns, so it never does while a guard is in place; and
// every use of the display is guarded.
int OnIOError(Display*) {
  Lost = true;
  if (Recovery) siglongjmp(*Recovery, 1);
  return 0;
}

void OnIOErrorExit(Display*, void*) {
  Lost = true;
  if (Recovery) siglongjmp(*Recovery, 1);
}

// Opening a display can wait for ever: a TCP connect to a host that does not answer, a socket
// that only listens, a stopped server in the middle of the handshake. Xlib has no time limit of
// its own, so it opens the display on a thread of its own, and a display that has not answered
// within the bound is one that did not answer. The thread is then left where it waits; it ends
// with the process, and its connection with it.
struct Opening {
  Display* Opened;
  int Done[2];
};

void* OpenOnItsOwn(void* Context) {
  Opening* Open = static_cast<Opening*>(Context);
  Open->Opened = XOpenDisplay(nullptr);
  char Byte = 0;
  ssize_t Ignored = write(Open->Done[1], &Byte, 1);
  (void)Ignored;
  return nullptr;
}

// The Opening is handed over to the thread for good: a thread still waiting may write to it at
// any time, so it is never freed.
Display* OpenWithinBound() {
  Opening* Open = static_cast<Opening*>(calloc(1, sizeof(Opening)));
  if (Open == nullptr || pipe2(Open->Done, O_CLOEXEC) != 0) {
    free(Open);
    return nullptr;
  }
  // Signals stay with the thread that handles them; the opening thread takes none.
  sigset_t All, Before;
  sigfillset(&All);
  pthread_sigmask(SIG_BLOCK, &All, &Before);
  pthread_t Thread;
  bool Started = pthread_create(&Thread, nullptr, OpenOnItsOwn, Open) == 0;
  pthread_sigmask(SIG_SETMASK, &Before, nullptr);
  if (!Started) return nullptr;
  pollfd Wait = {Open->Done[0], POLLIN, 0};
  int Ready;
  while ((Ready = poll(&Wait, 1, CONNECT_WAIT_MS)) < 0 && errno == EINTR) {
  }
  if (Ready != 1) {
    pthread_detach(Thread);
    return nullptr;
  }
  pthread_join(Thread, nullptr);
  close(Open->Done[0]);
  close(Open->Done[1]);
  Display* Opened = Open->Opened;
  free(Open);
  return Opened;
}

void Connect() {
  const char* Name = getenv("DISPLAY");
  if (Name == nullptr || Name[0] == '\0' || !LoadX11Libraries()) return;
  XSetErrorHandler(OnError);
  XSetIOErrorHandler(OnIOError);
  // Xlib tells standard error why a server refused; here a refusal only means the terminal box,
  // and what askbox writes stays what it wrote before there was a window.
  int SavedError = dup(STDERR_FILENO);
  int Null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (SavedError >= 0 && Null >= 0) dup2(Null, STDERR_FILENO);
  Dpy = OpenWithinBound();
  if (SavedError >= 0 && Null >= 0) dup2(SavedError, STDERR_FILENO);
  if (Null >= 0) close(Null);
  if (SavedError >= 0) close(SavedError);
  if (Dpy == nullptr) return;
  // Xlib takes any screen number DISPLAY names ("host:0.7", even ":0.-1") and every use of a
  // screen that is not there reads past the server's list: such a display is none at all.
  if (DefaultScreen(Dpy) < 0 || DefaultScreen(Dpy) >= ScreenCount(Dpy)) {
    XCloseDisplay(Dpy);
    Dpy = nullptr;
    return;
  }
  XSetIOErrorExitHandler(Dpy, OnIOErrorExit, nullptr);
  // Xlib has the connection's socket, taken while it read the events itself: a request of XCB's
  // own makes it give the socket back and take it again as XCB's queue wants, with the errors of
  // its requests set aside for it, so that an error still reaches the request that waits for it.
  if (LoadEventLibraries()) {
    Connection = XGetXCBConnection(Dpy);
    XSetEventQueueOwner(Dpy, XCBOwnsEventQueue);
    xcb_no_operation(Connection);
  }
  // The connection must not leak into the programs a script starts after this one.
  fcntl(ConnectionNumber(Dpy), F_SETFD, FD_CLOEXEC);
}

long ParentOf(long Pid) {
  char Stat[512];
  if (ReadProcessFile(Pid, "stat", Stat, sizeof Stat) == 0) return 0;
  // "pid (name) state ppid ...", where the name may hold anything, blanks and parentheses too.
  const char* Close = strrchr(Stat, ')');
  if (Close == nullptr || Close[1] == '\0' || Close[2] == '\0') return 0;
  return strtol(Close + 3, nullptr, 10);
}

bool IsAncestor(long Pid) {
  long Current = getppid();
  for (int I = 0; I < MAX_ANCESTORS && Current > 1; ++I, Current = ParentOf(Current))
    if (Current == Pid) return true;
  return false;
}

// WINDOWID outlives its terminal inside tmux or screen, and the number may by now belong to
// another program's window. Only a window that says which process on this host made it, and
// names one of this process's ancestors, is taken for the console: a window that says nothing
// could be anybody's.
bool BelongsToThisSession(Window Target) {
  PropertyValue Pid = ReadProperty(Target, X11Atom("_NET_WM_PID"), 1);
  PropertyValue Machine = ReadProperty(Target, XA_WM_CLIENT_MACHINE, 64);
  char Host[256];
  long Stated = StatedPid(Pid);
  bool Belongs = Stated != 0 && gethostname(Host, sizeof Host) == 0 && NamesHost(Machine, Host) &&
                 IsAncestor(Stated);
  FreeProperty(Pid);
  FreeProperty(Machine);
  return Belongs;
}

struct ConsoleSearch {
  Window Start;
  Window Found;
};

// A terminal's WINDOWID is often a widget inside its top-level window; the window manager marks
// the top-level one with WM_STATE. Before the window manager has taken the terminal on, or
// without one, the highest window that names its program (WM_CLASS) stands in: a window
// manager's frame names none.
void FindConsole(void* Context) {
  ConsoleSearch* Search = static_cast<ConsoleSearch*>(Context);
  Atom WmState = X11Atom("WM_STATE");
  Window Current = Search->Start, Named = 0;
  ClearX11Error();
  for (int Depth = 0; Depth < MAX_ANCESTORS; ++Depth) {
    PropertyValue State = ReadProperty(Current, WmState, 2);
    FreeProperty(State);
    PropertyValue Class = ReadProperty(Current, XA_WM_CLASS, 1);
    FreeProperty(Class);
    if (X11ErrorCode != 0) return;
    if (Class.Data != nullptr) Named = Current;
    Window Root, Parent, *Children = nullptr;
    unsigned Count = 0;
    if (!XQueryTree(Dpy, Current, &Root, &Parent, &Children, &Count) || X11ErrorCode != 0) return;
    if (Children) XFree(Children);
    if (State.Data == nullptr && Parent != Root) {
      Current = Parent;
      continue;
    }
    Window Found = State.Data != nullptr ? Current : Named;
    if (Found != 0 && Found != Root && BelongsToThisSession(Found)) Search->Found = Found;
    return;
  }
}

struct TitleRead {
  Window Target;
  char* Title;
  DWORD Size;
  DWORD Length;
};

void ReadTitle(void* Context) {
  TitleRead* Read = static_cast<TitleRead*>(Context);
  const long MaxLongs = 1024;
  TitleTypes Types = {X11Atom("UTF8_STRING"), X11Atom("COMPOUND_TEXT")};
  PropertyValue Name = ReadProperty(Read->Target, X11Atom("_NET_WM_NAME"), MaxLongs);
  if (Name.Data != nullptr && Name.Type != Types.Utf8String) {
    FreeProperty(Name);
    Name.Data = nullptr;
  }
  if (Name.Data == nullptr) Name = ReadProperty(Read->Target, XA_WM_NAME, MaxLongs);
  Read->Length = static_cast<DWORD>(DecodeTitle(Name, Types, Read->Title, Read->Size));
  FreeProperty(Name);
}

// A window manager runs where one owns the screen's WM_Sn selection.
bool WindowManagerRuns() {
  char Name[32] = "WM_S";
  Name[4 + FormatDecimal(Name + 4, DefaultScreen(Dpy))] = '\0';
  return XGetSelectionOwner(Dpy, X11Atom(Name)) != None;
}

bool TakenOn(Window Target) {
  PropertyValue State = ReadProperty(Target, X11Atom("WM_STATE"), 2);
  FreeProperty(State);
  return State.Data != nullptr;
}

// A window manager takes no request to iconify a window it has not taken on: a terminal started
// with askbox as its command may not even have mapped its window yet. Where one runs, the request
// waits until it has marked the window as its own (WM_STATE), for a second at most.
void IconifyBody(void* Context) {
  Window Target = *static_cast<Window*>(Context);
  ClearX11Error();
  if (WindowManagerRuns()) {
    for (int Waited = 0; Waited < MANAGED_WAIT_MS && !TakenOn(Target) && X11ErrorCode == 0; Waited += MANAGED_POLL_MS)
      poll(nullptr, 0, MANAGED_POLL_MS);
  }
  XIconifyWindow(Dpy, Target, DefaultScreen(Dpy));
  XSync(Dpy, False);
}

// Sent, not waited for: on the way out a server that has stopped answering must not hold the
// program, and the window comes back whenever it answers again.
void MapBody(void* Context) {
  XMapWindow(Dpy, *static_cast<Window*>(Context));
  XFlush(Dpy);
}

// Xlib's own conversion of the event from the wire, as its queue would have made it.
void ConvertEvent(xcb_generic_event_t* Wire, XEvent* Event) {
  Event->type = 0;
  int Type = Wire->response_type & 0x7F;
  if (Type == 0) {
    X11ErrorCode = reinterpret_cast<xcb_generic_error_t*>(Wire)->error_code;
    return;
  }
  if (Type == GenericEvent) return;  // none is asked for
  // Xlib works the event's serial out from its sequence and the last reply it read; replies are
  // read ahead of the events queued here, which it would take for a sequence lost and say so on
  // standard error. The box never reads the serial, so the event is given the one it knows.
  if (Type != KeymapNotify) Wire->sequence = static_cast<uint16_t>(LastKnownRequestProcessed(Dpy) & 0xFFFF);
  auto Convert = XESetWireToEvent(Dpy, Type, nullptr);
  XESetWireToEvent(Dpy, Type, Convert);
  if (Convert == nullptr || !Convert(Dpy, Event, reinterpret_cast<xEvent*>(Wire))) Event->type = 0;
}

}  // namespace

bool NextX11Event(XEvent* Event) {
  if (Connection == nullptr) {
    if (XPending(Dpy) == 0) return false;
    XNextEvent(Dpy, Event);
    return true;
  }
  xcb_generic_event_t* Wire = Ahead != nullptr ? Ahead : xcb_poll_for_event(Connection);
  Ahead = nullptr;
  if (Wire == nullptr) {
    if (xcb_connection_has_error(Connection)) OnIOError(Dpy);
    return false;
  }
  ConvertEvent(Wire, Event);
  free(Wire);
  return true;
}

bool X11NotesPileUp() {
  return Connection != nullptr && NextRequest(Dpy) - LastKnownRequestProcessed(Dpy) > MOST_NOTES;
}

xcb_connection_t* X11XcbConnection() { return Connection; }

bool X11ConnectionIdle() {
  if (X11EventQueued()) return false;
  pollfd Connection = {ConnectionNumber(Dpy), POLLIN, 0};
  return poll(&Connection, 1, 0) == 0;
}

bool X11EventQueued() {
  if (Connection == nullptr) return XEventsQueued(Dpy, QueuedAlready) > 0;
  if (Ahead == nullptr) Ahead = xcb_poll_for_queued_event(Connection);
  return Ahead != nullptr;
}

PropertyValue ReadProperty(Window Target, Atom Name, long MaxLongs) {
  PropertyValue Result = {None, 0, 0, nullptr};
  unsigned char* Data = nullptr;
  unsigned long After;
  if (XGetWindowProperty(Dpy, Target, Name, 0, MaxLongs, False, AnyPropertyType, &Result.Type,
                         &Result.Format, &Result.Count, &After, &Data) != Success) {
    Data = nullptr;
    Result.Count = 0;
  }
  if (Data != nullptr && Result.Type == None) {
    XFree(Data);
    Data = nullptr;
  }
  Result.Data = Data;
  return Result;
}

void FreeProperty(const PropertyValue& Value) {
  if (Value.Data) XFree(const_cast<unsigned char*>(Value.Data));
}

Display* X11Display() {
  if (!Tried) {
    Tried = true;
    Connect();
  }
  return Lost ? nullptr : Dpy;
}

bool X11Guarded(void (*Body)(void* Context), void* Context) {
  if (X11Display() == nullptr) return false;
  sigjmp_buf Here;
  sigjmp_buf* Outer = Recovery;
  if (sigsetjmp(Here, 1) != 0) {
    Recovery = Outer;
    Lost = true;
    return false;
  }
  Recovery = &Here;
  Body(Context);
  Recovery = Outer;
  return !Lost;
}

void ClearX11Error() { X11ErrorCode = 0; }
int LastX11Error() { return X11ErrorCode; }

Atom X11Atom(const char* Name) { return XInternAtom(Dpy, Name, False); }

Window X11ConsoleWindow() {
  static bool Known;
  static Window Console;
  if (Known) return Lost ? 0 : Console;
  Known = true;
  const char* Id = getenv("WINDOWID");
  if (Id == nullptr || *Id == '\0') return 0;
  char* End;
  errno = 0;
  unsigned long Value = strtoul(Id, &End, 0);
  if (*End != '\0' || errno != 0 || Value == 0 || X11Display() == nullptr) return 0;
  ConsoleSearch Search = {static_cast<Window>(Value), 0};
  if (X11Guarded(FindConsole, &Search)) Console = Search.Found;
  return Console;
}

DWORD X11WindowTitle(Window Target, LPSTR Title, DWORD Size) {
  TitleRead Read = {Target, Title, Size, 0};
  if (Size == 0 || !X11Guarded(ReadTitle, &Read)) return 0;
  return Read.Length;
}

bool X11Iconify(Window Target) { return X11Guarded(IconifyBody, &Target); }
bool X11MapAgain(Window Target) { return X11Guarded(MapBody, &Target); }

}  // namespace platform
