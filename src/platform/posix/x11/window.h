// What the window manager is told about the box window: title, type, state, functions, icon, size and place.
#ifndef ASKBOX_PLATFORM_POSIX_X11_WINDOW_H
#define ASKBOX_PLATFORM_POSIX_X11_WINDOW_H

#include "platform/posix/x11/icons.h"
#include "platform/posix/x11/properties.h"

#include <X11/Xlib.h>
#include <stddef.h>

namespace platform {

struct BoxWindow {
  Display* Dpy;
  int Screen;
  Window Win;  // 0 until it is made
  Window Owner;  // 0 for none
  DWORD Style;  // the MSGBOXPARAMSA's: MB_TOPMOST and MB_SETFOREGROUND count here
  bool Closable;  // whether Esc answers; the close button is offered only then
  const unsigned char* Caption;  // clean UTF-8 on one line
  size_t CaptionLength;
  int Width, Height;
  BoxIcon Icon;  // drawn with Fonts at IconSize for the title bar too
  int IconSize;
  BoxFonts* Fonts;
  RootArea Area;  // where it is placed (BoxArea)
};

// What the window manager's frame adds on each side.
struct FrameExtents {
  int Left, Right, Top, Bottom;
};

// Where the frame's top left goes (as the window manager takes a position of the default
// north-west gravity) for the frame to be centred on the owner where it is on screen, else on
// the box's area; never off the area's edges.
void PlaceBoxWindow(const BoxWindow& Box, const FrameExtents& Frame, int* X, int* Y);
// The frame is known only once the window manager has framed the window (_NET_FRAME_EXTENTS):
// the box then moves to centre it. False until the window manager says.
bool CentreBoxFrame(const BoxWindow& Box);
void DescribeBoxWindow(const BoxWindow& Box, int X, int Y, Atom DeleteWindow);
// Once it is mapped: the keys go to the box at once, and the window manager is asked to activate
// it, as the program's own request or, where it must get through focus-stealing prevention (a
// box coming back from being minimised or shaded), as the user's.
enum Activation { ACTIVATE_AS_PROGRAM, ACTIVATE_AS_USER };
void ActivateBoxWindow(const BoxWindow& Box, Activation Source);
// Whether the window manager says the box is minimised (_NET_WM_STATE_HIDDEN); a box on another
// desktop is not.
bool BoxWindowMinimised(const BoxWindow& Box);
// The title bar's and task bar's picture: the box's icon, or askbox's own where it has none of
// Windows' four. Set after the map, as nothing waits for it there.
void SetBoxWindowIcon(const BoxWindow& Box);

}  // namespace platform

#endif
