// The X clipboard as ICCCM has it: CLIPBOARD owned with a real timestamp, its targets answered, SAVE_TARGETS at the end.
#include "platform/posix/x11/clipboard.h"

#include "platform/posix/box/model.h"
#include "platform/posix/time-limit.h"
#include "platform/posix/x11/display.h"
#include "platform/posix/x11/library.h"

#include <X11/Xatom.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

const int HAND_OVER_MS = 1000;

// STRING is ISO 8859-1: characters beyond it become '?'.
char* Latin1(const char* Utf8, size_t Length, size_t* OutLength) {
  char* Out = static_cast<char*>(malloc(Length + 1));
  if (Out == nullptr) return nullptr;
  *OutLength = ToLatin1(reinterpret_cast<const unsigned char*>(Utf8), Length, Out);
  return Out;
}

// What the requestor gets for Target in Property; false for a target the box does not offer.
bool Convert(X11Clipboard* Clip, Window Requestor, Atom Target, Atom Property) {
  Atom Utf8 = X11Atom("UTF8_STRING");
  Display* Dpy = Clip->Dpy;
  if (Target == X11Atom("TARGETS")) {
    Atom Offered[] = {X11Atom("TARGETS"), Utf8, XA_STRING, X11Atom("TEXT")};
    XChangeProperty(Dpy, Requestor, Property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(Offered), 4);
    return true;
  }
  if (Target == Utf8 || Target == X11Atom("TEXT")) {
    XChangeProperty(Dpy, Requestor, Property, Utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(Clip->Text), static_cast<int>(Clip->Length));
    return true;
  }
  if (Target == XA_STRING) {
    size_t Length = 0;
    char* Text = Latin1(Clip->Text, Clip->Length, &Length);
    if (Text == nullptr) return false;
    XChangeProperty(Dpy, Requestor, Property, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<unsigned char*>(Text), static_cast<int>(Length));
    free(Text);
    return true;
  }
  return false;
}

void Answer(X11Clipboard* Clip, const XSelectionRequestEvent& Request) {
  XEvent Reply;
  memset(&Reply, 0, sizeof Reply);
  Reply.xselection.type = SelectionNotify;
  Reply.xselection.display = Clip->Dpy;
  Reply.xselection.requestor = Request.requestor;
  Reply.xselection.selection = Request.selection;
  Reply.xselection.target = Request.target;
  Reply.xselection.time = Request.time;
  Reply.xselection.property = None;
  // A requestor of before ICCCM names no property: the target's name is used for it.
  Atom Property = Request.property != None ? Request.property : Request.target;
  bool InTime = Request.time == CurrentTime || Request.time >= Clip->Since;
  ClearX11Error();
  if (Clip->Owned && Request.selection == X11Atom("CLIPBOARD") && InTime &&
      Convert(Clip, Request.requestor, Request.target, Property))
    Reply.xselection.property = Property;
  XSendEvent(Clip->Dpy, Request.requestor, False, NoEventMask, &Reply);
  // A requestor gone meanwhile is no fault of the box's.
  XSync(Clip->Dpy, False);
  ClearX11Error();
}

}  // namespace

bool TakeX11Clipboard(X11Clipboard* Clip, Time At) {
  Atom Clipboard = X11Atom("CLIPBOARD");
  XSetSelectionOwner(Clip->Dpy, Clipboard, Clip->Owner, At);
  Clip->Owned = XGetSelectionOwner(Clip->Dpy, Clipboard) == Clip->Owner;
  if (Clip->Owned) Clip->Since = At;
  return Clip->Owned;
}

bool OnX11ClipboardEvent(X11Clipboard* Clip, const XEvent& Event) {
  if (Event.type == SelectionRequest) {
    Answer(Clip, Event.xselectionrequest);
    return true;
  }
  if (Event.type == SelectionClear && Event.xselectionclear.selection == X11Atom("CLIPBOARD")) {
    Clip->Owned = false;
    return true;
  }
  return false;
}

void HandOverX11Clipboard(X11Clipboard* Clip) {
  Atom Manager = X11Atom("CLIPBOARD_MANAGER");
  if (!Clip->Owned || XGetSelectionOwner(Clip->Dpy, Manager) == None) return;
  // The targets to keep, in the property the manager reads them from.
  Atom Property = X11Atom("ASKBOX_SAVE_TARGETS");
  Atom Kept[] = {X11Atom("UTF8_STRING"), XA_STRING, X11Atom("TEXT")};
  XChangeProperty(Clip->Dpy, Clip->Owner, Property, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(Kept), 3);
  XConvertSelection(Clip->Dpy, Manager, X11Atom("SAVE_TARGETS"), Property, Clip->Owner, Clip->Since);
  int64_t Deadline = NowMs() + HAND_OVER_MS;
  for (;;) {
    while (XPending(Clip->Dpy) > 0) {
      XEvent Event;
      XNextEvent(Clip->Dpy, &Event);
      if (Event.type == SelectionNotify && Event.xselection.selection == Manager) return;
      OnX11ClipboardEvent(Clip, Event);
    }
    int64_t Left = Deadline - NowMs();
    if (Left <= 0) return;
    pollfd Connection = {ConnectionNumber(Clip->Dpy), POLLIN, 0};
    if (poll(&Connection, 1, static_cast<int>(Left)) == 0) return;
  }
}

}  // namespace platform
