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

// A person's paste asks a few times; a client asking faster than this is flooding the box, whose
// answers would then fill its connection faster than the server takes them.
const int ANSWERS_PER_PERIOD = 32, ANSWER_PERIOD_MS = 100;

// STRING is ISO 8859-1: characters beyond it become '?'.
char* Latin1(const char* Utf8, size_t Length, size_t* OutLength) {
  char* Out = static_cast<char*>(malloc(Length + 1));
  if (Out == nullptr) return nullptr;
  *OutLength = ToLatin1(reinterpret_cast<const unsigned char*>(Utf8), Length, Out);
  return Out;
}

// What the requestor gets for Target in Property; false for a target the box does not offer.
bool Convert(X11Clipboard* Clip, Window Requestor, Atom Target, Atom Property) {
  const ClipboardAtoms& A = Clip->Atoms;
  Display* Dpy = Clip->Dpy;
  if (Target == A.Targets) {
    Atom Offered[] = {A.Targets, A.Utf8String, XA_STRING, A.Text};
    XChangeProperty(Dpy, Requestor, Property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(Offered), 4);
    return true;
  }
  if (Target == A.Utf8String || Target == A.Text) {
    XChangeProperty(Dpy, Requestor, Property, A.Utf8String, 8, PropModeReplace,
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

// Only a request the box can be asked, as the clipboard's owner, is answered, and no more than
// ANSWERS_PER_PERIOD of them a period. Nothing is waited for: a requestor gone meanwhile makes an
// error that is only recorded.
bool WithinBudget(X11Clipboard* Clip) {
  int64_t Now = NowMs();
  if (Now - Clip->BudgetFromMs >= ANSWER_PERIOD_MS) {
    Clip->BudgetFromMs = Now;
    Clip->AnswersLeft = ANSWERS_PER_PERIOD;
  }
  return Clip->AnswersLeft-- > 0;
}

void Answer(X11Clipboard* Clip, const XSelectionRequestEvent& Request) {
  if (!Clip->Owned || Request.selection != Clip->Atoms.Clipboard || !WithinBudget(Clip)) return;
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
  if (InTime && Convert(Clip, Request.requestor, Request.target, Property)) Reply.xselection.property = Property;
  XSendEvent(Clip->Dpy, Request.requestor, False, NoEventMask, &Reply);
}

void InternAtoms(X11Clipboard* Clip) {
  if (Clip->AtomsKnown) return;
  Clip->Atoms = {X11Atom("CLIPBOARD"), X11Atom("TARGETS"),           X11Atom("UTF8_STRING"),
                 X11Atom("TEXT"),      X11Atom("CLIPBOARD_MANAGER"), X11Atom("SAVE_TARGETS"),
                 X11Atom("ASKBOX_SAVE_TARGETS")};
  Clip->AtomsKnown = true;
}

}  // namespace

void TakeX11Clipboard(X11Clipboard* Clip, Time At) {
  InternAtoms(Clip);
  XSetSelectionOwner(Clip->Dpy, Clip->Atoms.Clipboard, Clip->Owner, At);
  Clip->Owned = true;
  Clip->Unconfirmed = true;
  Clip->Since = At;
}

bool ConfirmX11Clipboard(X11Clipboard* Clip) {
  Clip->Unconfirmed = false;
  Clip->Owned = Clip->Owned && XGetSelectionOwner(Clip->Dpy, Clip->Atoms.Clipboard) == Clip->Owner;
  return Clip->Owned;
}

bool OnX11ClipboardEvent(X11Clipboard* Clip, const XEvent& Event) {
  if (Event.type == SelectionRequest) {
    Answer(Clip, Event.xselectionrequest);
    return true;
  }
  if (Event.type == SelectionClear && Clip->AtomsKnown && Event.xselectionclear.selection == Clip->Atoms.Clipboard) {
    Clip->Owned = false;
    return true;
  }
  return false;
}

void HandOverX11Clipboard(X11Clipboard* Clip, int StopFd) {
  if (!Clip->Owned) return;
  const ClipboardAtoms& A = Clip->Atoms;
  Display* Dpy = Clip->Dpy;
  // The targets to keep, in the property the manager reads them from. Where no manager runs, the
  // server itself answers at once that nobody converted them.
  Atom Kept[] = {A.Utf8String, XA_STRING, A.Text};
  XChangeProperty(Dpy, Clip->Owner, A.Kept, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(Kept), 3);
  XConvertSelection(Dpy, A.Manager, A.SaveTargets, A.Kept, Clip->Owner, Clip->Since);
  int64_t Deadline = NowMs() + X11_HAND_OVER_MS;
  for (;;) {
    XEvent Event;
    for (int Handled = 0; Handled < X11_EVENT_BATCH && NextX11Event(&Event); ++Handled) {
      if (Event.type == SelectionNotify && Event.xselection.selection == A.Manager) return;
      OnX11ClipboardEvent(Clip, Event);
    }
    int64_t Left = Deadline - NowMs();
    if (Left <= 0) return;
    XFlush(Dpy);
    pollfd Fds[2] = {{ConnectionNumber(Dpy), POLLIN, 0}, {StopFd, POLLIN, 0}};
    int Wait = X11EventQueued() ? 0 : static_cast<int>(Left);
    if (poll(Fds, 2, Wait) > 0 && Fds[1].revents != 0) return;
  }
}

}  // namespace platform
