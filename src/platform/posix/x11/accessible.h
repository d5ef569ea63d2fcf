// The box as a screen reader sees it over AT-SPI: an application with an alert, its icon, its text and its buttons.
#ifndef ASKBOX_PLATFORM_POSIX_X11_ACCESSIBLE_H
#define ASKBOX_PLATFORM_POSIX_X11_ACCESSIBLE_H

#include "platform/posix/box/request.h"
#include "platform/posix/x11/atspi-link.h"
#include "platform/posix/x11/layout.h"

#include <X11/Xlib.h>
#include <poll.h>

namespace platform {

// What the window shows, as it lays it out; the box keeps it all alive while the link is up.
struct AccessibleBox {
  Display* Dpy;
  Window Win;
  const unsigned char* Caption;  // clean UTF-8, as D-Bus wants its strings
  const unsigned char* Text;
  size_t TextLength;
  BoxIcon Icon;
  bool Owned;  // and so modal
  const BoxButton* Buttons;  // labels without the seconds a time limit adds
  int ButtonCount;
  int DefaultIndex;
  const WindowLayout* Layout;
  int LineHeight;
};

enum AccessibleKind { NODE_APPLICATION, NODE_ALERT, NODE_ICON, NODE_LABEL, NODE_BUTTON };

struct AccessibleNode {
  AccessibleKind Kind;
  int Button;  // for NODE_BUTTON
};

const int MAX_ACCESSIBLE_NODES = 4 + MAX_BUTTONS;

struct X11Accessible {
  AccessibleBox Box;
  AtspiLink Link;
  AccessibleNode Nodes[MAX_ACCESSIBLE_NODES];
  int NodeCount;
  int Focus;  // the focused button, as the box last said
  bool Active;  // the box has the focus, as it last said
  bool Announced;  // window:activate sent, and no window:deactivate since
  int Clicked;  // the button a click action pressed, -1 for none; the box answers with it
  int FocusWanted;  // the button a screen reader moved the focus to, -1 for none
  bool PlaceKnown;  // WindowX and WindowY read from the server in this pass
  int WindowX, WindowY;
  int ApplicationId;  // the registry's number for the application
};

// Looks for an accessibility bus and starts registering on it; without one nothing is loaded and
// the other calls do nothing.
void StartX11Accessible(X11Accessible* Access, const AccessibleBox& Box);
// The link's socket and what to wait for on it, for the loop's poll; fd -1 while there is none.
pollfd X11AccessiblePoll(const X11Accessible& Access);
// Serves what came (Ready: what poll said of the socket), without waiting; true where more is
// queued, for the loop not to wait.
bool ServeX11Accessible(X11Accessible* Access, short Ready);
// Tells the screen reader whether the box has the focus, and which button has it.
void TellX11Accessible(X11Accessible* Access, bool Active, int Focus);
// Gives the last answers WaitMs to leave, then closes the link.
void StopX11Accessible(X11Accessible* Access, int WaitMs);

}  // namespace platform

#endif
