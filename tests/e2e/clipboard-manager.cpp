// Test helper: the least of a clipboard manager, which keeps a copy of CLIPBOARD when asked with SAVE_TARGETS and serves it after.
//
//   clipboard-manager          keeps the copy
//   clipboard-manager --cut    kills the client that asks it to save instead, as a manager that fails might
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

Display* Dpy;
Window Self;
std::string Kept;

Atom Named(const char* Name) { return XInternAtom(Dpy, Name, False); }

void Reply(const XSelectionRequestEvent& Request, Atom Property) {
  XEvent Notify;
  memset(&Notify, 0, sizeof Notify);
  Notify.xselection.type = SelectionNotify;
  Notify.xselection.requestor = Request.requestor;
  Notify.xselection.selection = Request.selection;
  Notify.xselection.target = Request.target;
  Notify.xselection.property = Property;
  Notify.xselection.time = Request.time;
  XSendEvent(Dpy, Request.requestor, False, NoEventMask, &Notify);
  XFlush(Dpy);
}

// Fetches the owner's UTF8_STRING, then owns CLIPBOARD itself.
void Save(const XSelectionRequestEvent& Request) {
  XConvertSelection(Dpy, Named("CLIPBOARD"), Named("UTF8_STRING"), Named("KEPT"), Self, Request.time);
  for (;;) {
    XEvent Event;
    XNextEvent(Dpy, &Event);
    if (Event.type != SelectionNotify) continue;
    if (Event.xselection.property != None) {
      Atom Type;
      int Format;
      unsigned long Count, After;
      unsigned char* Data = nullptr;
      XGetWindowProperty(Dpy, Self, Named("KEPT"), 0, 1 << 20, True, AnyPropertyType, &Type, &Format, &Count,
                         &After, &Data);
      Kept.assign(reinterpret_cast<char*>(Data), Count);
      XFree(Data);
    }
    break;
  }
  XSetSelectionOwner(Dpy, Named("CLIPBOARD"), Self, CurrentTime);
  Reply(Request, Request.property);
}

}  // namespace

int main(int Count, char** Arguments) {
  bool Cut = Count > 1 && strcmp(Arguments[1], "--cut") == 0;
  Dpy = XOpenDisplay(nullptr);
  if (Dpy == nullptr) return 1;
  Self = XCreateSimpleWindow(Dpy, DefaultRootWindow(Dpy), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(Dpy, Named("CLIPBOARD_MANAGER"), Self, CurrentTime);
  if (XGetSelectionOwner(Dpy, Named("CLIPBOARD_MANAGER")) != Self) return 1;
  printf("ready\n");
  fflush(stdout);
  for (;;) {
    XEvent Event;
    XNextEvent(Dpy, &Event);
    if (Event.type != SelectionRequest) continue;
    const XSelectionRequestEvent& Request = Event.xselectionrequest;
    if (Request.selection == Named("CLIPBOARD_MANAGER") && Request.target == Named("SAVE_TARGETS") && Cut) {
      XKillClient(Dpy, Request.requestor);
      XSync(Dpy, False);
    } else if (Request.selection == Named("CLIPBOARD_MANAGER") && Request.target == Named("SAVE_TARGETS")) {
      Save(Request);
    } else if (Request.selection == Named("CLIPBOARD") && Request.target == Named("UTF8_STRING")) {
      XChangeProperty(Dpy, Request.requestor, Request.property, Named("UTF8_STRING"), 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(Kept.data()), static_cast<int>(Kept.size()));
      Reply(Request, Request.property);
    } else {
      Reply(Request, None);
    }
  }
}
