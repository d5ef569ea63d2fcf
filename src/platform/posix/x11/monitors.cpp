// Finding the monitor a box belongs on, through RandR or Xinerama where they are there, and its work area.
#include "platform/posix/x11/monitors.h"

#include "platform/posix/x11/display.h"
#include "platform/posix/x11/library.h"

#include <X11/Xatom.h>
#include <stdio.h>

namespace platform {
namespace {

bool Holds(const RootArea& Area, long X, long Y) {
  return X >= Area.X && X < Area.X + Area.Width && Y >= Area.Y && Y < Area.Y + Area.Height;
}

// The point the box is centred near: the owner's centre, or the pointer.
bool FocalPoint(Display* Dpy, Window Root, Window Owner, long* X, long* Y) {
  XWindowAttributes Attributes;
  int OwnerX, OwnerY;
  Window Child;
  ClearX11Error();
  if (Owner != 0 && XGetWindowAttributes(Dpy, Owner, &Attributes) && LastX11Error() == 0 &&
      Attributes.map_state == IsViewable &&
      XTranslateCoordinates(Dpy, Owner, Root, 0, 0, &OwnerX, &OwnerY, &Child)) {
    *X = OwnerX + Attributes.width / 2;
    *Y = OwnerY + Attributes.height / 2;
    return true;
  }
  Window RootReturned;
  int RootX, RootY, WindowX, WindowY;
  unsigned Buttons;
  if (!XQueryPointer(Dpy, Root, &RootReturned, &Child, &RootX, &RootY, &WindowX, &WindowY, &Buttons)) return false;
  *X = RootX;
  *Y = RootY;
  return true;
}

// Of the monitors that hold the point, the smallest: a server may list the whole screen as a
// monitor too, beside the real ones.
void TakeIfSmaller(const RootArea& Candidate, long X, long Y, RootArea* Monitor, bool* Found) {
  if (!Holds(Candidate, X, Y)) return;
  if (*Found && Candidate.Width * Candidate.Height >= Monitor->Width * Monitor->Height) return;
  *Monitor = Candidate;
  *Found = true;
}

// The monitor that holds the point, from RandR 1.5's list of monitors, else Xinerama's screens.
bool MonitorAt(Display* Dpy, Window Root, long X, long Y, RootArea* Monitor) {
  bool Found = false;
  if (LoadRandrLibrary()) {
    int Count = 0;
    XRRMonitorInfo* Monitors = XRRGetMonitors(Dpy, Root, True, &Count);
    for (int I = 0; I < Count; ++I)
      TakeIfSmaller({Monitors[I].x, Monitors[I].y, Monitors[I].width, Monitors[I].height}, X, Y, Monitor, &Found);
    if (Monitors != nullptr) XRRFreeMonitors(Monitors);
    if (Count > 0) return Found;
  }
  if (LoadXineramaLibrary() && XineramaIsActive(Dpy)) {
    int Count = 0;
    XineramaScreenInfo* Screens = XineramaQueryScreens(Dpy, &Count);
    for (int I = 0; I < Count; ++I)
      TakeIfSmaller({Screens[I].x_org, Screens[I].y_org, Screens[I].width, Screens[I].height}, X, Y, Monitor, &Found);
    if (Screens != nullptr) XFree(Screens);
  }
  return Found;
}

// What the window manager leaves of the monitor: GTK's list for each monitor of the current
// desktop where it is there, else the one work area of the desktop. The monitor itself where
// neither says anything.
RootArea WorkAreaOf(Display* Dpy, Window Root, const RootArea& Monitor) {
  char* Names[] = {const_cast<char*>("_NET_CURRENT_DESKTOP"), const_cast<char*>("_NET_WORKAREA")};
  Atom Atoms[2] = {None, None};
  // Atoms that do not exist yet are properties no window manager set: nothing is made of them.
  XInternAtoms(Dpy, Names, 2, True, Atoms);
  if (Atoms[0] == None) return Monitor;
  PropertyValue Desktop = ReadProperty(Root, Atoms[0], 1);
  long Current = CurrentDesktop(Desktop);
  FreeProperty(Desktop);
  if (Current < 0) return Monitor;
  char Name[48];
  snprintf(Name, sizeof Name, "_GTK_WORKAREAS_D%ld", Current);
  Atom GtkAreas = XInternAtom(Dpy, Name, True);
  RootArea Work;
  bool Known = false;
  if (GtkAreas != None) {
    PropertyValue Areas = ReadProperty(Root, GtkAreas, 1024);
    Known = MonitorWorkArea(Areas, Monitor, &Work);
    FreeProperty(Areas);
  }
  if (!Known && Atoms[1] != None) {
    PropertyValue Areas = ReadProperty(Root, Atoms[1], 4 * (Current + 1));
    Known = DesktopWorkArea(Areas, Current, &Work);
    FreeProperty(Areas);
  }
  return Known ? UncoveredPart(Monitor, Work) : Monitor;
}

}  // namespace

RootArea BoxArea(Display* Dpy, int Screen, Window Owner) {
  Window Root = RootWindow(Dpy, Screen);
  RootArea Monitor = {0, 0, DisplayWidth(Dpy, Screen), DisplayHeight(Dpy, Screen)};
  long X, Y;
  if (FocalPoint(Dpy, Root, Owner, &X, &Y)) {
    RootArea Found;
    if (MonitorAt(Dpy, Root, X, Y, &Found)) Monitor = Found;
  }
  return WorkAreaOf(Dpy, Root, Monitor);
}

}  // namespace platform
