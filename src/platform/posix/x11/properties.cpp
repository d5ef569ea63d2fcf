// Window properties of other clients, read as hostile bytes: a pid, a host name, a title and work areas.
#include "platform/posix/x11/properties.h"

#include "platform/posix/codeset.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

const unsigned long MAX_PID = 1UL << 22;  // the kernel's own limit on a pid

}  // namespace

long StatedPid(const PropertyValue& Pid) {
  if (Pid.Data == nullptr || Pid.Type != XA_CARDINAL || Pid.Format != 32 || Pid.Count != 1) return 0;
  // Xlib hands format-32 items out as longs, whatever the server's word size.
  unsigned long Value;
  memcpy(&Value, Pid.Data, sizeof Value);
  return Value > 0 && Value <= MAX_PID ? static_cast<long>(Value) : 0;
}

bool ListsAtom(const PropertyValue& List, Atom Wanted) {
  if (List.Data == nullptr || List.Type != XA_ATOM || List.Format != 32) return false;
  for (unsigned long I = 0; I < List.Count; ++I) {
    unsigned long Item;
    memcpy(&Item, List.Data + I * sizeof Item, sizeof Item);
    if (Item == Wanted) return true;
  }
  return false;
}

bool NamesHost(const PropertyValue& Machine, const char* Host) {
  if (Machine.Data == nullptr || Machine.Type != XA_STRING || Machine.Format != 8) return false;
  return strlen(Host) == Machine.Count && memcmp(Host, Machine.Data, Machine.Count) == 0;
}

size_t DecodeTitle(const PropertyValue& Title, const TitleTypes& Types, char* Out, size_t Room) {
  if (Room == 0) return 0;
  Out[0] = '\0';
  if (Title.Data == nullptr || Title.Format != 8) return 0;
  const char* Bytes = reinterpret_cast<const char*>(Title.Data);
  if (Title.Type == Types.Utf8String) return Utf8ToLocale(Bytes, Title.Count, Out, Room);
  // Compound text without escape sequences is ISO 8859-1, as STRING is.
  bool Latin1 = Title.Type == XA_STRING ||
                (Title.Type == Types.CompoundText && memchr(Bytes, 0x1B, Title.Count) == nullptr);
  if (!Latin1) return 0;
  size_t Utf8Size = Utf8Room(Title.Count);
  char* Utf8 = static_cast<char*>(malloc(Utf8Size));
  if (Utf8 == nullptr) return 0;
  size_t Length = Latin1ToUtf8(Bytes, Title.Count, Utf8, Utf8Size);
  size_t Result = Utf8ToLocale(Utf8, Length, Out, Room);
  free(Utf8);
  return Result;
}

namespace {

// Another client's numbers: a rectangle beyond this is no screen's.
const long MOST_PIXELS = 1L << 20;

// The Index-th rectangle of a CARDINAL list of format 32; false where the list has no such one, or
// where it is of no size or beyond any screen.
bool RectangleAt(const PropertyValue& List, unsigned long Index, RootArea* Area) {
  if (List.Data == nullptr || List.Type != XA_CARDINAL || List.Format != 32 || Index >= List.Count / 4) return false;
  unsigned long Items[4];  // format 32 comes as longs
  memcpy(Items, List.Data + 4 * Index * sizeof Items[0], sizeof Items);
  for (unsigned long Item : Items)
    if (Item > static_cast<unsigned long>(MOST_PIXELS)) return false;
  *Area = {static_cast<long>(Items[0]), static_cast<long>(Items[1]), static_cast<long>(Items[2]),
           static_cast<long>(Items[3])};
  return Area->Width > 0 && Area->Height > 0;
}

RootArea Overlap(const RootArea& A, const RootArea& B) {
  long Left = std::max(A.X, B.X), Top = std::max(A.Y, B.Y);
  long Right = std::min(A.X + A.Width, B.X + B.Width), Bottom = std::min(A.Y + A.Height, B.Y + B.Height);
  return {Left, Top, std::max(0L, Right - Left), std::max(0L, Bottom - Top)};
}

}  // namespace

long CurrentDesktop(const PropertyValue& Desktop) {
  if (Desktop.Data == nullptr || Desktop.Type != XA_CARDINAL || Desktop.Format != 32 || Desktop.Count != 1) return -1;
  unsigned long Value;
  memcpy(&Value, Desktop.Data, sizeof Value);
  return Value < 1024 ? static_cast<long>(Value) : -1;
}

bool DesktopWorkArea(const PropertyValue& Areas, long Desktop, RootArea* Area) {
  return Desktop >= 0 && RectangleAt(Areas, static_cast<unsigned long>(Desktop), Area);
}

RootArea UncoveredPart(const RootArea& Monitor, const RootArea& Work) {
  RootArea Both = Overlap(Monitor, Work);
  return Both.Width > 0 && Both.Height > 0 ? Both : Monitor;
}

bool MonitorWorkArea(const PropertyValue& Areas, const RootArea& Monitor, RootArea* Area) {
  long Most = 0;
  RootArea Candidate;
  for (unsigned long I = 0; I < Areas.Count / 4; ++I) {
    if (!RectangleAt(Areas, I, &Candidate)) continue;
    RootArea Both = Overlap(Monitor, Candidate);
    if (Both.Width * Both.Height > Most) {
      Most = Both.Width * Both.Height;
      *Area = Both;
    }
  }
  return Most > 0;
}

}  // namespace platform
