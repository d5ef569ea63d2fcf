// Finding the monitor a box belongs on and its work area: through XCB, every question asked before any answer is waited for.
#include "platform/posix/x11/monitors.h"

#include "platform/posix/x11/display.h"
#include "platform/posix/x11/library.h"

#include <X11/Xatom.h>
#include <stdlib.h>
#include <string.h>

#include <iterator>

namespace platform {
namespace {

// The root's properties that say what panels leave free: the current desktop, the work area of
// each desktop, and GTK's work areas of each monitor on the first few desktops.
const char* const AREA_NAMES[] = {"_NET_CURRENT_DESKTOP", "_NET_WORKAREA",     "_GTK_WORKAREAS_D0",
                                  "_GTK_WORKAREAS_D1",    "_GTK_WORKAREAS_D2", "_GTK_WORKAREAS_D3"};
enum AreaProperty { CURRENT_DESKTOP, DESKTOP_AREAS, FIRST_GTK_AREAS, AREA_PROPERTY_COUNT = 6 };
const uint32_t MOST_AREA_LONGS = 4 * 64;  // four for each desktop or monitor

bool Holds(const RootArea& Area, long X, long Y) {
  return X >= Area.X && X < Area.X + Area.Width && Y >= Area.Y && Y < Area.Y + Area.Height;
}

// Of the monitors that hold the point, the smallest: a server may list the whole screen as a
// monitor too, beside the real ones.
void TakeIfSmaller(const RootArea& Candidate, long X, long Y, RootArea* Monitor, bool* Found) {
  if (!Holds(Candidate, X, Y)) return;
  if (*Found && Candidate.Width * Candidate.Height >= Monitor->Width * Monitor->Height) return;
  *Monitor = Candidate;
  *Found = true;
}

// The owner's centre, where the box has an owner on the screen.
bool OwnerCentre(Display* Dpy, Window Root, Window Owner, long* X, long* Y) {
  XWindowAttributes Attributes;
  int OwnerX, OwnerY;
  Window Child;
  ClearX11Error();
  if (Owner == 0 || !XGetWindowAttributes(Dpy, Owner, &Attributes) || LastX11Error() != 0 ||
      Attributes.map_state != IsViewable || !XTranslateCoordinates(Dpy, Owner, Root, 0, 0, &OwnerX, &OwnerY, &Child))
    return false;
  *X = OwnerX + Attributes.width / 2;
  *Y = OwnerY + Attributes.height / 2;
  return true;
}

// A property's reply as XGetWindowProperty would give it: format 32 items as longs. Data is null
// where there is none; Longs holds it and is freed by the caller.
PropertyValue AsProperty(xcb_get_property_reply_t* Reply, unsigned long** Longs) {
  PropertyValue Value = {None, 0, 0, nullptr};
  *Longs = nullptr;
  if (Reply == nullptr || Reply->format != 32 || Reply->type == XCB_NONE) return Value;
  unsigned long Count = static_cast<unsigned long>(xcb_get_property_value_length(Reply)) / 4;
  *Longs = static_cast<unsigned long*>(calloc(Count + 1, sizeof(unsigned long)));
  if (*Longs == nullptr) return Value;
  const uint32_t* Items = static_cast<const uint32_t*>(xcb_get_property_value(Reply));
  for (unsigned long I = 0; I < Count; ++I) (*Longs)[I] = Items[I];
  Value = {Reply->type, 32, Count, reinterpret_cast<unsigned char*>(*Longs)};
  return Value;
}

// The work area of the current desktop that covers the most of Monitor: GTK's, where it has one
// for that desktop, else the desktop's.
RootArea UncoveredByPanels(xcb_get_property_reply_t* const* Replies, const RootArea& Monitor) {
  unsigned long* Longs[AREA_PROPERTY_COUNT];
  PropertyValue Values[AREA_PROPERTY_COUNT];
  for (int I = 0; I < AREA_PROPERTY_COUNT; ++I) Values[I] = AsProperty(Replies[I], &Longs[I]);
  long Current = CurrentDesktop(Values[CURRENT_DESKTOP]);
  RootArea Work = Monitor;
  bool Known = Current >= 0 && Current < AREA_PROPERTY_COUNT - FIRST_GTK_AREAS &&
               MonitorWorkArea(Values[FIRST_GTK_AREAS + Current], Monitor, &Work);
  if (!Known && DesktopWorkArea(Values[DESKTOP_AREAS], Current, &Work)) Work = UncoveredPart(Monitor, Work);
  for (unsigned long* Items : Longs) free(Items);
  return Work;
}

}  // namespace

RootArea BoxArea(Display* Dpy, int Screen, Window Owner) {
  Window Root = RootWindow(Dpy, Screen);
  RootArea Monitor = {0, 0, DisplayWidth(Dpy, Screen), DisplayHeight(Dpy, Screen)};
  xcb_connection_t* C = X11XcbConnection();
  long X = 0, Y = 0;
  bool Owned = OwnerCentre(Dpy, Root, Owner, &X, &Y);
  // Without XCB the screen is one monitor, its work area the whole of it, as before there were
  // monitors; an owned box is centred on its owner all the same.
  if (C == nullptr) return Monitor;
  // First the names of the properties, whether RandR is there, and the pointer, all at once.
  xcb_intern_atom_cookie_t Atoms[AREA_PROPERTY_COUNT];
  for (int I = 0; I < AREA_PROPERTY_COUNT; ++I)
    Atoms[I] = xcb_intern_atom(C, 1, static_cast<uint16_t>(strlen(AREA_NAMES[I])), AREA_NAMES[I]);
  xcb_query_extension_cookie_t Randr = xcb_query_extension(C, 5, "RANDR");
  xcb_query_pointer_cookie_t Pointer = xcb_query_pointer(C, static_cast<xcb_window_t>(Root));
  // Then the properties and the monitors, again all at once.
  xcb_get_property_cookie_t Properties[AREA_PROPERTY_COUNT];
  bool Asked[AREA_PROPERTY_COUNT] = {};
  for (int I = 0; I < AREA_PROPERTY_COUNT; ++I) {
    xcb_intern_atom_reply_t* Name = xcb_intern_atom_reply(C, Atoms[I], nullptr);
    if (Name != nullptr && Name->atom != XCB_NONE) {
      Properties[I] = xcb_get_property(C, 0, static_cast<xcb_window_t>(Root), Name->atom, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                       I == CURRENT_DESKTOP ? 1 : MOST_AREA_LONGS);
      Asked[I] = true;
    }
    free(Name);
  }
  xcb_query_extension_reply_t* HasRandr = xcb_query_extension_reply(C, Randr, nullptr);
  // The extension's own library asks the server about it once more, and a request of an
  // extension the server lacks would end the connection: only where the server said it has it.
  bool AskMonitors = HasRandr != nullptr && HasRandr->present && LoadXcbRandrLibrary();
  free(HasRandr);
  xcb_randr_get_monitors_cookie_t Monitors = {0};
  if (AskMonitors) Monitors = xcb_randr_get_monitors(C, static_cast<xcb_window_t>(Root), 1);
  xcb_query_pointer_reply_t* At = xcb_query_pointer_reply(C, Pointer, nullptr);
  if (!Owned && At != nullptr && At->same_screen) {
    X = At->root_x;
    Y = At->root_y;
  }
  bool Placed = Owned || (At != nullptr && At->same_screen);
  free(At);
  if (AskMonitors) {
    xcb_randr_get_monitors_reply_t* List = xcb_randr_get_monitors_reply(C, Monitors, nullptr);
    bool Found = false;
    RootArea Held = Monitor;
    if (List != nullptr && Placed)
      for (xcb_randr_monitor_info_iterator_t I = xcb_randr_get_monitors_monitors_iterator(List); I.rem > 0;
           xcb_randr_monitor_info_next(&I))
        TakeIfSmaller({I.data->x, I.data->y, I.data->width, I.data->height}, X, Y, &Held, &Found);
    if (Found) Monitor = Held;
    free(List);
  }
  xcb_get_property_reply_t* Replies[AREA_PROPERTY_COUNT] = {};
  for (int I = 0; I < AREA_PROPERTY_COUNT; ++I)
    if (Asked[I]) Replies[I] = xcb_get_property_reply(C, Properties[I], nullptr);
  RootArea Area = UncoveredByPanels(Replies, Monitor);
  for (xcb_get_property_reply_t* Reply : Replies) free(Reply);
  return Area;
}

}  // namespace platform
