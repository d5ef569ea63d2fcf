// The box's copy on the X clipboard: owning CLIPBOARD while the window is up, and handing it to a clipboard manager at the end.
#ifndef ASKBOX_PLATFORM_POSIX_X11_CLIPBOARD_H
#define ASKBOX_PLATFORM_POSIX_X11_CLIPBOARD_H

#include <X11/Xlib.h>
#include <stddef.h>

namespace platform {

struct X11Clipboard {
  Display* Dpy;
  Window Owner;
  const char* Text;  // UTF-8, the caller's, alive while the clipboard is
  size_t Length;
  Time Since;  // when it was taken, from the key press that took it
  bool Owned;
};

// Makes Owner the CLIPBOARD's owner with Text, as of the event time At; false where the server
// gave it to another.
bool TakeX11Clipboard(X11Clipboard* Clip, Time At);
// Answers a request for the clipboard or notes its loss; false for an event that is not the
// clipboard's.
bool OnX11ClipboardEvent(X11Clipboard* Clip, const XEvent& Event);
// Before Owner goes: a running clipboard manager is asked to keep a copy, for a second at most.
void HandOverX11Clipboard(X11Clipboard* Clip);

}  // namespace platform

#endif
