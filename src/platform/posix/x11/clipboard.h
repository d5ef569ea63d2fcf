// The box's copy on the X clipboard: owning CLIPBOARD while the window is up, and handing it to a clipboard manager at the end.
#ifndef ASKBOX_PLATFORM_POSIX_X11_CLIPBOARD_H
#define ASKBOX_PLATFORM_POSIX_X11_CLIPBOARD_H

#include <X11/Xlib.h>
#include <stddef.h>
#include <stdint.h>

namespace platform {

// The atoms the clipboard speaks in, interned once, when it is first taken: a request that names
// one then costs no round trip to the server.
struct ClipboardAtoms {
  Atom Clipboard, Targets, Utf8String, Text, Manager, SaveTargets, Kept;
};

struct X11Clipboard {
  Display* Dpy;
  Window Owner;
  const char* Text;  // UTF-8, the caller's, alive while the clipboard is
  size_t Length;
  Time Since;  // when it was taken, from the key press that took it
  bool Owned;
  bool Unconfirmed;  // taken, but not yet asked whether the server gave it to the box
  bool AtomsKnown;
  ClipboardAtoms Atoms;
  int64_t BudgetFromMs;  // when the answers left were last counted afresh
  int AnswersLeft;
};

// Asks for Owner to become the CLIPBOARD's owner with Text, as of the event time At. The answer
// is not waited for here: ConfirmX11Clipboard asks the server once, however often it was taken.
void TakeX11Clipboard(X11Clipboard* Clip, Time At);
// False where the server gave the clipboard to another; one round trip.
bool ConfirmX11Clipboard(X11Clipboard* Clip);
// Answers a request for the clipboard while the box owns it, or notes its loss; false for an
// event that is not the clipboard's. Nothing here waits for the server.
bool OnX11ClipboardEvent(X11Clipboard* Clip, const XEvent& Event);
// Before Owner goes: a running clipboard manager is asked to keep a copy, for X11_HAND_OVER_MS at
// most, and no longer than until StopFd (a caught signal) becomes readable. Nothing but events is
// waited for, so a server that has stopped answering holds it no longer either.
const int X11_HAND_OVER_MS = 1000;
void HandOverX11Clipboard(X11Clipboard* Clip, int StopFd);

}  // namespace platform

#endif
