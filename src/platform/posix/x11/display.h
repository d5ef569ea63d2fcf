// The X display: one connection on first use, errors that never end the process, the terminal's own window.
#ifndef ASKBOX_PLATFORM_POSIX_X11_DISPLAY_H
#define ASKBOX_PLATFORM_POSIX_X11_DISPLAY_H

#include "platform/platform.h"
#include "platform/posix/x11/properties.h"

#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace platform {

// How many events a loop handles before it looks at its deadline and its signals again, so that
// another client sending events as fast as it can holds back neither.
const int X11_EVENT_BATCH = 64;

// Connects on first use; null where DISPLAY is unset, the server cannot be reached or refuses,
// and from the moment the connection breaks.
Display* X11Display();

// The next event that has come, after at most one read from the connection; false where none has.
// Where XCB's libraries are there, the connection is read a buffer at a time, so that however
// fast another client sends, what waits to be handled stays small: Xlib's own queue reads for as
// long as the server keeps sending. An X error that comes as an event is recorded (LastX11Error)
// and given as an event of type 0. Only inside X11Guarded: a broken connection ends the guard.
bool NextX11Event(XEvent* Event);
// The connection as XCB has it, where XCB reads the events; null where Xlib's queue does.
xcb_connection_t* X11XcbConnection();
// Whether an event has been read and waits for NextX11Event; reads nothing.
bool X11EventQueued();
// Whether nothing from the server waits to be handled, read or not: a round trip made now reads in
// no backlog of events with its reply.
bool X11ConnectionIdle();

// Where XCB reads the events, Xlib keeps a note of every request sent, dropped only when a reply
// is next waited for: true once they pile up, so that a box that draws for hours without asking
// the server anything makes one round trip, at a moment the server is known to answer.
bool X11NotesPileUp();

// Runs Body with the display; false, and the display given up for good, if the connection broke
// on the way. Every use of the display goes through here: a broken connection comes back as a
// failure instead of Xlib ending the process.
bool X11Guarded(void (*Body)(void* Context), void* Context);

// The code of the last X error since ClearX11Error, 0 for none. X errors are expected here
// (a window named by a stale variable may be gone) and are only ever recorded.
void ClearX11Error();
int LastX11Error();

// The terminal emulator's top-level window, from WINDOWID; 0 where it names none that is alive
// and belongs to this session.
Window X11ConsoleWindow();
// Its title in the locale's character set (_NET_WM_NAME, else WM_NAME); 0 when it has none.
DWORD X11WindowTitle(Window Target, LPSTR Title, DWORD Size);
// Iconifies or maps again a top-level window; false where the display is gone.
bool X11Iconify(Window Target);
bool X11MapAgain(Window Target);
Atom X11Atom(const char* Name);
// A window's property as the server holds it, up to MaxLongs 32-bit units; null Data where the
// window lacks it or is gone. FreeProperty gives it back.
PropertyValue ReadProperty(Window Target, Atom Name, long MaxLongs);
void FreeProperty(const PropertyValue& Value);

}  // namespace platform

#endif
