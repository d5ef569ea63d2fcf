// The X display: connecting with a bounded wait, X errors recorded, a broken connection survived, WINDOWID followed.
#include "platform/posix/x11/display.h"

#include "platform/posix/codeset.h"
#include "platform/posix/process.h"
#include "platform/posix/x11/library.h"
#include "platform/posix/x11/properties.h"

#include <X11/Xatom.h>
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

Display* Dpy;
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
  XSetIOErrorExitHandler(Dpy, OnIOErrorExit, nullptr);
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

void IconifyBody(void* Context) {
  Window Target = *static_cast<Window*>(Context);
  XIconifyWindow(Dpy, Target, DefaultScreen(Dpy));
  XSync(Dpy, False);
}

void MapBody(void* Context) {
  XMapWindow(Dpy, *static_cast<Window*>(Context));
  XSync(Dpy, False);
}

}  // namespace

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
