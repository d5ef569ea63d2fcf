// What the X properties askbox reads from other clients' windows say, decided from their raw bytes alone.
#ifndef ASKBOX_PLATFORM_POSIX_X11_PROPERTIES_H
#define ASKBOX_PLATFORM_POSIX_X11_PROPERTIES_H

#include <X11/X.h>
#include <stddef.h>

namespace platform {

// A property as XGetWindowProperty hands it out: Count items of Format bits, where format 32 items
// are longs in memory and format 16 items shorts. Another client wrote it, so nothing in it is
// trusted: type, format and count are checked before an item is read.
struct PropertyValue {
  Atom Type;
  int Format;
  unsigned long Count;
  const unsigned char* Data;  // null where the window lacks the property
};

// The process id a _NET_WM_PID states (one CARDINAL of format 32), 0 where it states none.
long StatedPid(const PropertyValue& Pid);

// True where an ATOM list of format 32 (_NET_WM_STATE, say) holds Wanted.
bool ListsAtom(const PropertyValue& List, Atom Wanted);

// True where a WM_CLIENT_MACHINE (STRING of format 8) names exactly Host.
bool NamesHost(const PropertyValue& Machine, const char* Host);

// A rectangle of the root window, in pixels.
struct RootArea {
  long X, Y, Width, Height;
};

// The desktop a _NET_CURRENT_DESKTOP (one CARDINAL of format 32) names, -1 where it names none.
long CurrentDesktop(const PropertyValue& Desktop);

// The work area of Desktop in a _NET_WORKAREA (four CARDINALs of format 32 for each desktop):
// false where it has none for that desktop, or one of no size.
bool DesktopWorkArea(const PropertyValue& Areas, long Desktop, RootArea* Area);

// The part of Monitor that no panel covers: Monitor cut to Work where they overlap, Monitor
// itself where they do not. From a _GTK_WORKAREAS_D<n> (one rectangle for each monitor) the one
// that overlaps Monitor the most is taken.
RootArea UncoveredPart(const RootArea& Monitor, const RootArea& Work);
bool MonitorWorkArea(const PropertyValue& Areas, const RootArea& Monitor, RootArea* Area);

// The atoms a title may be typed with.
struct TitleTypes {
  Atom Utf8String;
  Atom CompoundText;
};

// A window title (_NET_WM_NAME or WM_NAME) in the locale's character set, NUL-terminated, cut to
// fit Room; gives its length, 0 for a title of a type or format that is not text.
size_t DecodeTitle(const PropertyValue& Title, const TitleTypes& Types, char* Out, size_t Room);

}  // namespace platform

#endif
